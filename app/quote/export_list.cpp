// Placeholder until this part of the application lands.
