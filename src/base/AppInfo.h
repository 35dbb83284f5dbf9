#pragma once

// Compiled-in facts about the application: its names, identifier and build.

namespace AppInfo {

inline constexpr char kApplicationName[] = "Quillory";
inline constexpr char kDisplayName[] = "Quillory";
inline constexpr char kApplicationIdentifier[] = "com.tarvo.quillory";
inline constexpr char kOrganizationFolder[] = "TARVO";
inline constexpr char kVersion[] = QUILLORY_VERSION;
inline constexpr int kBuildNumber = QUILLORY_BUILD_NUMBER;
// The version of the service protocol this build speaks, sent with every request.
inline constexpr char kPelluxProtocolVersion[] = "1.0";

}  // namespace AppInfo
