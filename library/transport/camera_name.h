// Rules on video-input display names: which cameras the library supports, the diagnostic id
// and the device-table label taken from the name's vid_xxxx&pid_xxxx part.
#pragma once

#include <string>

namespace tandrel {

// The display name as the library converts it: at most 255 bytes, what a 256-byte buffer
// holds with its terminator. A longer name is cut, never refused.
std::string ConvertedDisplayName(const std::string& displayName);
// Position of the first "vid_" in any letter case, or npos.
size_t FindVendorTag(const std::string& displayName);
// True when the first "vid_" (in any case) is followed by 0408, 04da or 1460.
bool IsSupportedCamera(const std::string& displayName);
// The 17 characters from the first "vid_" on ("vid_0408&pid_2040"), fewer when the name
// ends sooner; empty without "vid_".
std::string DeviceIdOf(const std::string& displayName);
// The device id in lower case with the '&' between vendor and product id turned into a
// blank: "vid_0408 pid_2040".
std::string DeviceLabelOf(const std::string& displayName);

}  // namespace tandrel
