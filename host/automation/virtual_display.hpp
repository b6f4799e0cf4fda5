#pragma once
// The script mode needs a display; without one the program runs itself again under Xvfb.
namespace keltrov::automation {

// True when the toolkit runs on the named display (started on it if need be).
bool HasDisplay();
// Replaces this process with the same command under xvfb-run; throws std::runtime_error with
// the reason when that cannot be done.
[[noreturn]] void RerunUnderVirtualDisplay(char** argv);

}  // namespace keltrov::automation
