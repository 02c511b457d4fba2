#pragma once
// The plug-in's version, in one place for the version resource and the
// About window.
#define VELQ_VERSION_MAJOR 2
#define VELQ_VERSION_MINOR 2
#define VELQ_VERSION_PATCH 2
#define VELQ_VERSION_BUILD 0
#define VELQ_VERSION_TEXT "2.2.2.0"
#define VELQ_PLUGIN_ID_NAME "VelqTpUpdater"
