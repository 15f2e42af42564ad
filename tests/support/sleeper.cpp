// Sleeps until it is killed. Tests start copies of it under chosen names to
// stand in for the programs the shield watches.
#include <unistd.h>

int main() {
  for (;;) pause();
}
