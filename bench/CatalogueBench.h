#pragma once
// The picture catalogue of a large generated tree, next to `find` listing
// the same tree.
#include <string>

namespace slidora::bench {

struct CatalogueBenchOptions {
    int runs = 3;
    int folders = 2000;
    int files = 100000;
    std::string folder; // the tree is made below it and removed afterwards
};

// Makes the tree, prints the timings and the target. Returns false when the
// tree could not be made, `find` failed or the catalogue did not hold the
// files it should.
bool runCatalogueBench(const CatalogueBenchOptions& options);

} // namespace slidora::bench
