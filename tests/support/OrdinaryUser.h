// Runs test code as an ordinary user. The suite runs as root in CI, where file
// permissions do not bind; permission and file-identity cases then run in a
// forked child that drops to the unprivileged account 65534 (nobody), with
// SharedGroup as a supplementary group for the group-sharing cases. Run by an
// ordinary user, the child keeps that user's identity.
//
// The body uses gtest assertions as usual; the child prints their failures and
// the parent fails the test when the child reports any (or dies).
#pragma once

#include <functional>
#include <sys/types.h>

namespace OrdinaryUser {

// A group the child belongs to besides its own (as root: 100, "users"; as an
// ordinary user: one of that user's groups, its own when it has no other).
gid_t SharedGroup();

// Runs body in the child; adds a gtest failure in the parent when it failed.
void Run(const std::function<void()>& body);

// A second unprivileged account (65533), for two users sharing a folder: only
// the superuser can make a process of it. Drops this process (a forked child)
// to that account with SharedGroup; false when it cannot.
constexpr uid_t SecondUser = 65533;
bool BecomeSecondUser();

} // namespace OrdinaryUser
