#pragma once

// Compiled-in facts about the application: its names, identifier and build.

namespace AppInfo {

inline constexpr char kApplicationName[] = "Quillory";
inline constexpr char kDisplayName[] = "Quillory";
inline constexpr char kApplicationIdentifier[] = "com.tarvo.quillory";
inline constexpr char kOrganizationFolder[] = "TARVO";
inline constexpr char kVersion[] = QUILLORY_VERSION;
inline constexpr int kBuildNumber = QUILLORY_BUILD_NUMBER;

}  // namespace AppInfo
