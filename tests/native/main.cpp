// The tests start as the saver does: a 32-bit build's x87 unit computing in
// double precision.
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest.h>
#include "engine/float_precision.h"

int main(int argc, char** argv)
{
    UseDoublePrecision();
    return doctest::Context(argc, argv).run();
}
