// Where the checkout lives, for tests that read the shipped data and docs.
// Kept out of every other compile line so their objects do not depend on the
// checkout's path (a build cache can then share them between checkouts).
#pragma once

const char* orvaneSourceDir();
