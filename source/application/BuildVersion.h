#pragma once

// The build's version text as the build system describes it (last tag, commits since it,
// commit id). The application shows it with a leading "v"; the software update compares
// the numeric part in front of the first "-".
inline const char* buildVersionString()
{
    return "1.7.9-0-g6ef5c9d4";
}
