#pragma once

#include <QByteArray>

#include <functional>
#include <optional>

// Runs work in a forked child and returns what it produced, or nothing when the child
// failed. For what a test must not do to itself: giving up root, entering a private
// mount namespace.
std::optional<QByteArray> runInChild(const std::function<std::optional<QByteArray>()> &work);

// In a child of runInChild: gives up root for the user nobody, when the test runs as
// root, since root reads every folder whatever its permissions. False when it could not.
bool runAsNobody();

// runInChild with work done as nobody: for what must not be readable though the test
// runs as root. Nothing when the child could not give up root or failed.
std::optional<QByteArray> runAsNobodyInChild(const std::function<QByteArray()> &work);
