// qvshield: the shield program as it is shipped.
#include "app/ShieldProgram.h"

int main(int argc, char** argv) { return vz::app::RunShieldProgram(argc, argv); }
