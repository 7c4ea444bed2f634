// A tiny shared library for the binding tests: one exported function.
extern "C" __attribute__((visibility("default"))) int BindTargetTwice(int value) {
  return 2 * value;
}
