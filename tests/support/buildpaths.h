#pragma once

#include <QString>

// The programs the tests start, as built beside the test executable. Kept out
// of the test sources so that both builds of the suite compile those the
// same, and the second build takes them from the compiler cache.
namespace BuildPaths {
QString program();
QString faultsSaver();
QString recoveryDriver();
QString videoDriver();
} // namespace BuildPaths
