#pragma once

// File names inside a project folder, shared by the project worker, the web handlers and
// the media code.
namespace ProjectFiles {

constexpr const char* ProjectFileName = "project.xml";
constexpr const char* ProjectBackupFileName = "project.xml_bak";
constexpr const char* ManholeFileName = "manholes.xml";
// What a web project download writes before the files take their names.
constexpr const char* ProjectDownloadFileName = "project.xml.download";
constexpr const char* ManholeDownloadFileName = "manholes.xml.download";
// The hidden mark of a folder that a web project download is filling.
constexpr const char* WebDownloadMarkFileName = ".webdownload";

} // namespace ProjectFiles
