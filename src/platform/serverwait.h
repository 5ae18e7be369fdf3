#pragma once

#include <functional>

namespace platform {

// Runs work on a thread of its own while this thread goes on handling its
// events, user input held back, so a window waiting on a server repaints
// and its timers run. work must not touch widgets; it may use a database
// connection made on this thread, which nothing else uses meanwhile.
// Without a running application, or off its main thread, work runs here.
void waitRepainting(const std::function<void()> &work);

} // namespace platform
