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
