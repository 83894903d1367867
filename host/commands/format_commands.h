// Each format's part of the commands that take any plug-in (info, snapshot),
// which the format table (host/formats/) names in its rows.
#pragma once

#include <string>

#include "host/formats/hosted_format.h"

namespace quillet::host {

// info: what a host of the format sees of the plug-in at `path`; the exit
// status.
int printVst2Info(const std::string& path);
int printVst3Info(const std::string& path);
int printClapInfo(const std::string& path);

// snapshot: the panel opened in a window of the host's, with the host's
// scale factor given first where one is asked for, idled until two pictures
// in a row agree.
bool captureVst2Panel(const PanelRequest& request, PanelPicture* picture, std::string* error);
bool captureVst3Panel(const PanelRequest& request, PanelPicture* picture, std::string* error);
bool captureClapPanel(const PanelRequest& request, PanelPicture* picture, std::string* error);

}  // namespace quillet::host
