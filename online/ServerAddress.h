// Where the statistics and update servers are: addresses chosen when the
// program is built, replaced at run time by the environment variables
// ZINTRA_REPORT_URL and ZINTRA_UPDATE_URL (tests point them at loopback).
#pragma once

#include <string>

namespace zintra {

// The full URL that usage reports are posted to (path /data.html).
std::string ReportUrl();
// The full URL of the update description (path /update/update.json); empty
// when this build has none, and then no update check is made.
std::string UpdateUrl();

}  // namespace zintra
