// A test kernel library that loads but does not export GetRuntimeEntry.

extern "C" __attribute__((visibility("default"))) int GetRuntimeEntryNot(int version) {
  return version;
}
