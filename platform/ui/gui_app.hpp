#pragma once
// The plug-in's dialog needs a running wxWidgets application. A host that runs its own keeps it;
// for a host without one, an application is started on first use and kept for the process.
namespace keltrov {

// False when no toolkit could be started (no display); the reason is on standard error.
bool EnsureGuiApp();

}  // namespace keltrov
