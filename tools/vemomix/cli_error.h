// The one kind of failure the commands report: a message naming what was wrong and with what.
#pragma once
#include <stdexcept>
#include <string>

namespace vemomix_cli {

class CliError : public std::runtime_error {
public:
    // subject is the file (or option) the problem is about; it leads the message.
    CliError(const std::string& subject, const std::string& problem) : std::runtime_error(subject + ": " + problem) {}
    // A message that already names its subject.
    explicit CliError(const std::string& message) : std::runtime_error(message) {}
};

// A command line that asks for something impossible (exit status 2, as for the option parser's errors).
class UsageError : public CliError {
public:
    using CliError::CliError;
};

}  // namespace vemomix_cli
