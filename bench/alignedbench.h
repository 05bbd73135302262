#pragma once

// Benchmarks of aligned compare (F7) on megabyte texts with edits at random places.

// Registers them after the benchmarks registered before the call.
void registerAlignedBenchmarks();
