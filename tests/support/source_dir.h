// Where the checkout lives, for tests that read the shipped data and docs.
// Kept out of every other compile line so their objects do not depend on the
// checkout's path (a build cache can then share them between checkouts).
#pragma once

#include <string>

const char* orvaneSourceDir();
// The bytes of a fixture file under tests/data/ (empty when it is missing).
std::string testData(const std::string& relative);
