#pragma once

namespace platform {

// The screen-wide busy pointer, realised as the application's override cursor.
void showBusyPointer();
void showDefaultPointer();

} // namespace platform
