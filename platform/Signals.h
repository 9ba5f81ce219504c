// Requests to end the program from outside its window: Ctrl-C, a
// termination request, the console window closing.
#pragma once

namespace velmora::platform {

// From now on such a request calls stop (from any thread, or a signal
// handler: stop may only set a flag) and the program ends its run the
// ordinary way, saving config.txt. Also makes a write that reaches a file
// size limit fail with an error instead of ending the program.
void OnStopRequest(void (*stop)());

}  // namespace velmora::platform
