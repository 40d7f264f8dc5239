#pragma once

// File names inside a project folder, shared by the project worker, the web handlers and
// the media code.
namespace ProjectFiles {

constexpr const char* ProjectFileName = "project.xml";
constexpr const char* ProjectBackupFileName = "project.xml_bak";
constexpr const char* ManholeFileName = "manholes.xml";

} // namespace ProjectFiles
