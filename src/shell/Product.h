#pragma once

// The names the wizard gives itself to the recorder, the portal and the user.
namespace product {

inline constexpr char16_t kModel[] = u"ORB-780Z";
inline constexpr char16_t kVersion[] = u"V 2.03.02";

}  // namespace product
