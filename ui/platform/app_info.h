#pragma once

namespace kakeibo {

inline constexpr const char* kApplicationTitle = "Nimbrelの家計簿";
inline constexpr const char* kMainWindowCaption = "Nimbrel の家計簿";

}  // namespace kakeibo
