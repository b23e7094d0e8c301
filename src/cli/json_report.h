// The Read run's results as JSON: the stream boxes, the stream table and the timings.
#pragma once

#include <string>
#include <vector>

namespace quarnel {

class MainModel;

std::string jsonReport(const MainModel& m, const std::vector<std::string>& logLines);

}  // namespace quarnel
