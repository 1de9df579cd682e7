#pragma once

namespace tarvex::remote {

// "remote.control": the remote user holding control of the station, empty while nobody does.
// The remote panel alone sets it; other ways in (MQTT commands) read it so that they do not
// act behind the back of the operator who holds control.
inline constexpr const char* kControlItem = "remote.control";

} // namespace tarvex::remote
