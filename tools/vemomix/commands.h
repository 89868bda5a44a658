// The subcommands of vemomix. Each returns the exit status; problems are thrown as CliError.
#pragma once
#include <string>
#include <vector>

namespace vemomix_cli {

struct RenderOptions {
    std::string input;
    std::string output;
    std::string settings_bin;   // --settings, a 748-byte record
    std::string settings_json;  // --json, record fields by name
    std::vector<std::string> chain;
    bool chain_given = false;
    std::vector<std::string> enable;
    int buffer_frames = 1024;
};

int render_command(const RenderOptions& opt);
int settings_dump_command(const std::string& record_path);
int settings_build_command(const std::string& json_path, const std::string& record_path);
int demo_command(const std::string& output);

}  // namespace vemomix_cli
