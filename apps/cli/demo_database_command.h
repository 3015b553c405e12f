#pragma once
// zelkextract2-cli demo-database FILE [--assets N] [--seed N] [--history-depth N]

#include <string>
#include <vector>

namespace zelk::cli {

// The arguments after "demo-database". Returns the exit status: 0 made,
// 1 not made (the file exists, cannot be written), 2 usage error.
int runDemoDatabase(const std::vector<std::string>& args);

}  // namespace zelk::cli
