#pragma once
// What the customer window's routines share: the list rebuilt from the
// table, the inputs emptied, and the two pure text functions.

#include <string>

#include "image/calls/calls.h"

namespace pcshop::app {

// Every record of the customer table in record order, numbered by position.
void ListCustomers(calls::Calls& rt);

// The list shows the first customer named `name` alone (none when the
// register lost it).
void ListCustomerNamed(calls::Calls& rt, const char* name);

// Empties the nine inputs (no category selected); the query box stays.
void ClearCustomerInputs(calls::Calls& rt);

// The initials of a GBK name: single-byte characters unchanged, each
// double-byte character the first letter of its pinyin reading (nothing when
// it has none); a surname at the start with a reading of its own (曾 Zēng,
// not céng) gives the initials of that reading.
std::string MakePinyinCode(calls::Calls& rt, const char* name);

// The first letter of the common pinyin reading of the double-byte character
// at byte `position` (1-based) of the GBK `text`; "" when it has none (a
// symbol). No surname reading: the product search shares it.
std::string PinyinInitialAt(calls::Calls& rt, const char* text, int32_t position);

// The text without leading and trailing spaces, as a new runtime text.
calls::OwnedText TrimBlanks(calls::Calls& rt, const char* text);

}  // namespace pcshop::app
