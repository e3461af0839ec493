// The errors lqhost reports: one line, naming the file and the place where there is one.
#pragma once
#include <stdexcept>
#include <string>

namespace lq {

// Wrong arguments or an unknown subcommand: exit code 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A job that could not be done (bad input, failed expectation, unwritable output): exit code 1.
class JobError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Malformed input; the message starts with "file:place: ".
class ParseError : public JobError {
public:
    ParseError(const std::string& file, const std::string& place, const std::string& message)
        : JobError(file + (place.empty() ? "" : ":" + place) + ": " + message)
    {
    }
};

class IoError : public JobError {
public:
    using JobError::JobError;
};

}  // namespace lq
