// What a call into one of the stores ended with: nothing raised, or the class
// and the exact message of the error it raised. The reliability tests compare
// these with what their reference models predict, so a wrong class is caught
// as surely as a wrong message.
#pragma once

#include "engine/EDatabaseError.h"
#include "engine/EORBLError.h"
#include "platform/EConvertError.h"
#include "platform/EInOutError.h"
#include "settings/EInvalidParam.h"
#include "settings/EKELTError.h"

#include <ostream>
#include <string>

struct TOutcome {
    std::string Class; // empty when the call raised nothing
    std::string Message;

    bool Raised() const { return !Class.empty(); }
    friend bool operator==(const TOutcome&, const TOutcome&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const TOutcome& outcome)
{
    if (!outcome.Raised())
        return os << "no error";
    return os << outcome.Class << " \"" << outcome.Message << "\"";
}

inline void PrintTo(const TOutcome& outcome, std::ostream* os)
{
    *os << outcome;
}

inline TOutcome NoError()
{
    return {};
}

// The conversion error's message for a text, which quotes at most its first
// 100 characters (then "...").
inline std::string NotAnIntegerMessage(const std::string& text)
{
    const std::string quoted = text.size() <= 100 ? text : text.substr(0, 100) + "...";
    return "'" + quoted + "' is not a valid integer value";
}

// Runs f and names what it raised. The error classes all derive from the
// platform's base error directly, so the order of the handlers is free.
template <typename F> TOutcome Capture(F&& f)
{
    try {
        f();
        return {};
    } catch (const EORBLError& e) {
        return {"EORBLError", e.Message};
    } catch (const EDatabaseError& e) {
        return {"EDatabaseError", e.Message};
    } catch (const EInvalidParam& e) {
        return {"EInvalidParam", e.Message};
    } catch (const EKELTError& e) {
        return {"EKELTError", e.Message};
    } catch (const EConvertError& e) {
        return {"EConvertError", e.Message};
    } catch (const EInOutError& e) {
        return {"EInOutError", e.Message};
    } catch (const std::exception& e) {
        return {"std::exception", e.what()};
    } catch (...) {
        return {"unknown", ""};
    }
}
