#include <cstdio>

int main() {
  std::puts("veilmark-cli");
  return 0;
}
