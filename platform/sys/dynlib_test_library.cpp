// A library for the loading tests: found by name in a folder, and asked one question.
extern "C" int SysDynlibTestAnswer() {
  return 42;
}
