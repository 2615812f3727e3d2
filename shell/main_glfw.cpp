#include "start_from_command_line.h"
#include "vanteel_demo.h"

// The test build also runs the demo on a core-profile context, the only kind
// some platforms offer.
#if defined(VANTEEL_CORE_PROFILE)
constexpr bool UseCoreProfile = true;
#else
constexpr bool UseCoreProfile = false;
#endif

int main(int argc, char** argv) { return runFromCommandLine(vanteelDemo(), argc, argv, UseCoreProfile); }
