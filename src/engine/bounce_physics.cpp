// Bounce's motion and the rectangles each step touches.
#include "engine/bounce_physics.h"

#include <cfloat>
#include <climits>

#include "engine/placement.h"

// Speeds and places come from settings that a registry editor can set to
// anything, so sums are formed wide and held inside the 32-bit range rather
// than overflowing.
static int32_t Saturate(int64_t value)
{
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

static int32_t SaturatingAdd(int32_t a, int32_t b)
{
    return Saturate(static_cast<int64_t>(a) + b);
}

// Reversing the lowest speed wraps to itself, as a 32-bit negation does.
static int32_t Negate(int32_t value)
{
    return static_cast<int32_t>(0u - static_cast<uint32_t>(value));
}

// A double stored as a 32-bit float, held inside the float range.
static float StoreFloat(double value)
{
    if (value > FLT_MAX)
        return FLT_MAX;
    if (value < -FLT_MAX)
        return -FLT_MAX;
    return static_cast<float>(value);
}

static int32_t TruncateToInt32(float value)
{
    if (value != value)
        return 0;
    if (value <= static_cast<float>(INT32_MIN))
        return INT32_MIN;
    if (value >= static_cast<float>(INT32_MAX))
        return INT32_MAX;
    return static_cast<int32_t>(value);
}

int32_t RandomSign(int32_t r)
{
    return (r & 1) ? -1 : 1;
}

void StartBounce(BounceMotion* motion, const BounceRules& rules, int (*random)())
{
    motion->Landed = motion->FloatVelY = motion->FloatY = 0.0f;
    if (rules.Gravity != 0) {
        motion->VelX = rules.Speed;
    } else {
        const int32_t signX = RandomSign(random());
        const int32_t signY = RandomSign(random());
        motion->VelX = signX < 0 ? Negate(rules.Speed) : rules.Speed;
        motion->VelY = signY < 0 ? Negate(rules.Speed) : rules.Speed;
    }
    const int32_t r1 = random();
    const int32_t r2 = random();
    const LogoPosition place =
        RandomLogoPosition(rules.ClientWidth, rules.ClientHeight, rules.Width, rules.Height, r1, r2);
    motion->BounceX = place.X;
    motion->BounceY = place.Y;
    // Under gravity the first tick puts the logo here, whatever place was drawn.
    if (rules.Gravity != 0)
        motion->FloatY = 10.0f;
}

static void MoveUnderGravity(BounceMotion* motion, const BounceRules& rules)
{
    // The tick right after a bounce off the floor gets no acceleration.
    if (motion->Landed == 0.0f)
        motion->FloatVelY = StoreFloat(static_cast<double>(motion->FloatVelY) + rules.Gravity / 100.0);
    else
        motion->Landed = 0.0f;
    motion->FloatY = StoreFloat(static_cast<double>(motion->FloatY) + static_cast<double>(motion->FloatVelY));
    motion->BounceY = TruncateToInt32(motion->FloatY);

    // The top edge turns the logo only once it is wholly above the area.
    if (motion->BounceY <= -static_cast<int64_t>(rules.Height)) {
        motion->BounceY = Saturate(-static_cast<int64_t>(rules.Height));
        motion->FloatY = StoreFloat(-static_cast<double>(rules.Height));
        motion->FloatVelY = -motion->FloatVelY;
    }
    if (static_cast<int64_t>(motion->BounceY) + rules.Height >= rules.ClientHeight) {
        const int64_t floor = static_cast<int64_t>(rules.ClientHeight) - rules.Height;
        motion->FloatY = StoreFloat(static_cast<double>(floor));
        motion->Landed = 1.0f;
        motion->FloatVelY = -motion->FloatVelY;
        motion->BounceY = Saturate(floor);
    }
}

static void MoveStraight(BounceMotion* motion, const BounceRules& rules)
{
    motion->BounceY = SaturatingAdd(motion->BounceY, motion->VelY);
    // A logo taller than the area meets both edges in one tick: the speed turns twice.
    if (motion->BounceY <= 0) {
        motion->BounceY = 0;
        motion->VelY = Negate(motion->VelY);
    }
    if (static_cast<int64_t>(motion->BounceY) + rules.Height >= rules.ClientHeight) {
        motion->BounceY = Saturate(static_cast<int64_t>(rules.ClientHeight) - rules.Height);
        motion->VelY = Negate(motion->VelY);
    }
}

void MoveBounce(BounceMotion* motion, const BounceRules& rules)
{
    motion->BounceX = SaturatingAdd(motion->BounceX, motion->VelX);
    if (rules.Gravity != 0)
        MoveUnderGravity(motion, rules);
    else
        MoveStraight(motion, rules);

    if (rules.Gravity != 0 && rules.WrapSides != 0) {
        // The speed never turns: the logo leaves wholly and comes back wholly beyond the other side.
        if (motion->BounceX < -static_cast<int64_t>(rules.Width))
            motion->BounceX = rules.ClientWidth;
        else if (static_cast<int64_t>(motion->BounceX) - rules.Speed > rules.ClientWidth)
            motion->BounceX = Saturate(-static_cast<int64_t>(rules.Width));
        return;
    }
    if (motion->BounceX <= 0) {
        motion->BounceX = 0;
        motion->VelX = Negate(motion->VelX);
    }
    // The right edge turns the logo only once it is crossed, unlike the bottom edge.
    if (static_cast<int64_t>(motion->BounceX) + rules.Width > rules.ClientWidth) {
        motion->BounceX = Saturate(static_cast<int64_t>(rules.ClientWidth) - rules.Width);
        motion->VelX = Negate(motion->VelX);
    }
}

// GDI on Windows NT takes coordinates within 27 bits; places far beyond the
// area (a wrapped logo at an absurd speed) are held there.
static int32_t GdiCoordinate(int64_t value)
{
    constexpr int64_t Limit = (int64_t{1} << 27) - 1;
    return static_cast<int32_t>(value > Limit ? Limit : value < -Limit ? -Limit : value);
}

PixelRect BounceLogoRect(const BounceMotion& motion, const BounceRules& rules)
{
    const int64_t left = motion.BounceX, top = motion.BounceY;
    return {GdiCoordinate(left), GdiCoordinate(top), GdiCoordinate(left + rules.Width),
            GdiCoordinate(top + rules.Height)};
}

PixelRect BounceCopyRect(const BounceMotion& motion, const BounceRules& rules)
{
    const int64_t minX = motion.BounceX < motion.PrevX ? motion.BounceX : motion.PrevX;
    const int64_t maxX = motion.BounceX < motion.PrevX ? motion.PrevX : motion.BounceX;
    const int64_t minY = motion.BounceY < motion.PrevY ? motion.BounceY : motion.PrevY;
    const int64_t maxY = motion.BounceY < motion.PrevY ? motion.PrevY : motion.BounceY;
    return {GdiCoordinate(minX), GdiCoordinate(minY), GdiCoordinate(maxX + rules.Width + 5),
            GdiCoordinate(maxY + rules.Height + 5)};
}
