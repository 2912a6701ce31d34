// The machinery both model tests share: a seeded random source, a short log
// of the latest operations (described only when a difference is reported),
// checks that report a difference with that log, and a tally of the outcomes
// seen, so a run can prove it reached the cases it is meant to exercise.
#pragma once

#include "tests/reliability/Outcome.h"
#include "tests/reliability/TestRandom.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <type_traits>

class TModelRun : public TTestRandom {
public:
    TModelRun(std::string name, uint32_t seed) : TTestRandom(seed), Name(std::move(name)) {}

    std::map<std::string, int> Seen; // outcomes and operations, counted

    std::string SeenSummary() const
    {
        std::string text;
        for (const auto& [what, count] : Seen)
            text += (text.empty() ? "" : ", ") + what + " " + std::to_string(count);
        return text;
    }

protected:
    void NoteOp(std::function<std::string()> describe)
    {
        Recent.emplace_back(CurrentStep, std::move(describe));
        if (Recent.size() > 12)
            Recent.pop_front();
    }

    // The message may be a function, so that it is only made for a difference.
    template <typename Message> bool Expect(bool ok, Message&& message)
    {
        if (ok)
            return true;
        if constexpr (std::is_invocable_v<Message>)
            Report(message());
        else
            Report(std::string(message));
        return false;
    }

    bool SameOutcome(const TOutcome& engine, const TOutcome& model, const std::string& call)
    {
        ++Seen[Key(engine, call)];
        return Expect(engine == model, [&] {
            std::ostringstream text;
            text << call << ": the store gave " << engine << ", the model expects " << model;
            return text.str();
        });
    }

    std::string Name;
    int CurrentStep = -1;

private:
    // An outcome is counted by its error number, or by the call when nothing was raised.
    static std::string Key(const TOutcome& outcome, const std::string& call)
    {
        if (!outcome.Raised())
            return "ok " + call;
        if (outcome.Message.rfind('#', 0) == 0)
            return outcome.Class + " " + outcome.Message.substr(0, 4);
        if (outcome.Class == "EConvertError")
            return "EConvertError";
        return outcome.Class + " " + outcome.Message;
    }

    void Report(const std::string& what)
    {
        std::ostringstream recent;
        for (const auto& [step, describe] : Recent)
            recent << "\n  #" << step << " " << describe();
        ADD_FAILURE() << Name << ", operation " << CurrentStep << ": " << what << "\nlast operations:" << recent.str();
    }

    std::deque<std::pair<int, std::function<std::string()>>> Recent;
};

// Model runs are long in a plain build and shortened under a sanitizer.
#if defined(__SANITIZE_ADDRESS__)
#define VOLUMNIA_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VOLUMNIA_SANITIZED 1
#endif
#endif

#ifdef VOLUMNIA_SANITIZED
constexpr bool SanitizedBuild = true;
constexpr int ModelOpsPerSeed = 4000;
#else
constexpr bool SanitizedBuild = false;
constexpr int ModelOpsPerSeed = 30000;
#endif
