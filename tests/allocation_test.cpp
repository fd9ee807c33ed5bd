// A frame and a tick allocate nothing: this program interposes the C allocator
// (operator new goes through it too) and counts the calls made while the
// simulation runs with a display() that does a frame's whole optics. It is a
// program of its own, and is not built where a sanitizer owns the allocator.
#include "app/viewer_state.h"
#include "frame/frame.h"
#include "frame/local_rotate.h"
#include "optics/display.h"
#include "optics/shading.h"
#include "water/drops.h"
#include "water/water.h"
#include "water/wave.h"

#include <gtest/gtest.h>

#include <cstdlib>

// glibc's own allocator, under the names it exports for interposers.
extern "C" void* __libc_malloc(std::size_t);              // NOLINT(bugprone-reserved-identifier)
extern "C" void* __libc_calloc(std::size_t, std::size_t); // NOLINT(bugprone-reserved-identifier)
extern "C" void* __libc_realloc(void*, std::size_t);      // NOLINT(bugprone-reserved-identifier)

static bool counting = false;
static long allocations = 0;

// The C library declares calloc and realloc with reserved parameter names,
// which these definitions do not repeat.
extern "C" void* malloc(std::size_t size)
{
    return allocations += counting, __libc_malloc(size);
}
extern "C" void* calloc(std::size_t n, std::size_t size) // NOLINT(readability-inconsistent-declaration-parameter-name)
{
    return allocations += counting, __libc_calloc(n, size);
}
extern "C" void* realloc(void* block, std::size_t size) // NOLINT(readability-inconsistent-declaration-parameter-name)
{
    return allocations += counting, __libc_realloc(block, size);
}

int framesDrawn = 0;
void display()
{
    computeFrameOptics();
    ++framesDrawn;
}

namespace {

template <typename Action>
long allocationsOf(Action action)
{
    allocations = 0;
    counting = true;
    action();
    counting = false;
    return allocations;
}

TEST(AllocationTest, TicksWavesAndCommandsAllocateNothing)
{
    restoreLoadState(); // also allocates standard output's buffer, once
    // The block goes through a volatile pointer: an allocation whose result
    // is unused may be removed altogether (clang does), and would count 0.
    ASSERT_EQ(allocationsOf([] {
                  void* volatile block = std::malloc(16);
                  std::free(block);
              }),
              1)
        << "the counter counts";
    EXPECT_EQ(allocationsOf([] {
                  burstMode = 1;
                  for (int tick = 0; tick < 300; ++tick)
                      idle();
                  toggleSprinkleMode();
                  for (int tick = 0; tick < 300; ++tick)
                      idle();
                  playWave();
                  splashCentre();
                  rotate(1.0f, stepCosine(), stepSine(), 'y');
                  localRotate(-1.0f, 'x');
                  scale(1);
                  toggleLookAt();
                  resetScene();
                  display();
              }),
              0);
    EXPECT_EQ(framesDrawn, 600 + 351 + 1);
}

} // namespace
