// Runs a piece of test code in a forked child, for what a test cannot do to
// its own process: mounting a small or read-only file system in a private
// mount namespace, or being killed in the middle of a save. The child reports
// through a pipe; the parent's file system and process stay untouched.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

struct TChildResult {
    bool Exited = false; // ended by _exit, not by a signal
    int Code = -1;
    int Signal = 0;
    std::string Report; // what the body returned
};

// The body's text goes back to the parent: empty when every check passed,
// "SKIP: <why>" when the child could not set up what the test needs,
// otherwise a description of what went wrong.
TChildResult RunInChild(const std::function<std::string()>& body);

// In a child only: a mount namespace of its own, with every mount private so
// nothing done in it reaches the rest of the system. False, with the reason,
// when the system does not allow it.
bool EnterPrivateMountNamespace(std::string& why);

// Runs changes in a forked child and kills it with SIGKILL delay after its
// first change: changes gets a started() to call once that change is saved
// (later calls do nothing) and must not return. Empty, or what went wrong:
// the child never started, or ended by itself (with its code).
std::string KillWhileChanging(const std::function<void(const std::function<void()>& started)>& changes,
                              std::chrono::microseconds delay);

// Every entry of a folder (files and folders), sorted; hidden ones included.
std::vector<std::string> EntriesOf(const std::string& folder);
