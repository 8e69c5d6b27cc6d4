#pragma once
// Keeping the threads of one pass on cores of their own while it runs. A scheduler may wake a
// helper on the core of the thread that woke it while another core idles; where it switches
// threads only on its clock tick (Linux at 250 Hz, as under Wine on a two-core virtual
// machine) the two then take 4 ms turns on one core, and a pass of 8 ms took 12. The system,
// where it can bind threads to cores, installs a binding; without one, threads go where the
// system puts them.
#include <memory>

namespace pictorn::imaging {

class CoreBinding {
public:
    // A helper thread, as made on that thread.
    class Helper {
    public:
        virtual ~Helper() = default;
        // From another thread, before the helper is woken: it runs on any core but `core`.
        virtual void keepOff(int core) noexcept = 0;
    };
    // The calling thread held on the core it runs on for as long as this lives.
    class Held {
    public:
        virtual ~Held() = default;
        // The core it is held on; -1 where it is not held.
        virtual int core() const noexcept = 0;
    };

    virtual ~CoreBinding() = default;
    virtual std::unique_ptr<Helper> thisHelper() = 0;
    virtual std::unique_ptr<Held> holdThisThread() = 0;
};

// For the passes from now on; helpers made before it are left where the system puts them.
void bindCoresWith(std::shared_ptr<CoreBinding> binding);

} // namespace pictorn::imaging
