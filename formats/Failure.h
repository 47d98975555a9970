#pragma once
// The one shape of every failure the program reports: what could not be done, and why.

#include <stdexcept>
#include <string>

class Failure : public std::runtime_error {
  public:
    // Unsupported: a file of a kind the program knows but does not take (a BMP of another bit
    // count), which some commands tell apart from other failures.
    enum class Kind { Other, Unsupported };

    // what() is "action: reason", or the reason alone when there is no action.
    Failure(std::string action, std::string reason, Kind kind = Kind::Other)
        : std::runtime_error(action.empty() ? reason : action + ": " + reason),
          Action(std::move(action)), Reason(std::move(reason)), Type(kind) {}
    explicit Failure(std::string reason) : Failure({}, std::move(reason)) {}

    std::string Action; // "cannot save /x/sheet.tga"; may be empty
    std::string Reason; // "No space left on device"
    Kind Type;
};
