#include "platform/testing/FakeClock.h"
