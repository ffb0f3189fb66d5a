#pragma once
namespace shell {

// Shows the hourglass pointer for its lifetime, so every way out of an operation restores the
// pointer. Without a window system (logic tests) it does nothing.
class Hourglass {
public:
    Hourglass();
    ~Hourglass();
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;

    // Restores the pointer early (before a dialog that the user works in); idempotent.
    void Restore();

private:
    bool shown_ = false;
};

} // namespace shell
