// The common base of every error the program raises on purpose. It carries
// nothing but its message, which is shown to the user exactly as it stands.
#pragma once

#include <exception>
#include <string>

class EBaseError : public std::exception {
public:
    explicit EBaseError(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }

    const std::string Message;
};
