#pragma once

// The path a user takes with megabyte texts: paste, then Compare with the view where the paste
// left it; Replace all on ten megabytes; a long line idle under the caret.
void registerUserPathBenchmarks();
