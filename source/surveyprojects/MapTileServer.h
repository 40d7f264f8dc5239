#pragma once

#include <QString>

// The address of the tile server behind the manhole map. The map never asks the internet:
// the default is the local tile peer's address, set at build time from
// scripts/map-tiles.env (the same file the run command reads); the environment variable
// CX_MAP_TILE_URL replaces it (tests start their peer on a free port).
QString mapTileServerUrl();
