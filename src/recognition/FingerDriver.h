#pragma once

#include <tesolive/TesoLive.h>

#include <QByteArray>
#include <QLibrary>
#include <QString>

#include <array>

// The fingerprint reader's library, loaded from a file for one operation and
// unloaded at its end. All 18 reader functions are looked up by name; a
// library lacking one of them is unusable.
class FingerDriver {
public:
    static constexpr int exportCount = 18;
    // The reader functions in the order they are looked up.
    static const std::array<const char*, exportCount>& exportNames();

    FingerDriver() = default;
    ~FingerDriver();
    FingerDriver(const FingerDriver&) = delete;
    FingerDriver& operator=(const FingerDriver&) = delete;

    // Unloads what is still loaded, loads the library at path, looks up the
    // reader functions and opens the device. True when the device is open:
    // handle is its handle and modulePath the library's full path. Otherwise
    // nothing stays loaded and handle is 0.
    bool loadFingerDriver(const QString& path, TcHandle& handle, QByteArray& modulePath);
    // Closes the device (handle becomes 0 unless the library refuses) and
    // unloads the library. True at once when nothing is loaded.
    bool unloadFingerDriver(TcHandle& handle);

    bool isLoaded() const { return library.isLoaded(); }

    // The functions the program calls; null when not loaded.
    TcDeleteHDLFn deleteHandle() const { return entry<TcDeleteHDLFn>(1); }
    TcDoFeatureFn doFeature() const { return entry<TcDoFeatureFn>(3); }
    TcDoTempletFn doTemplet() const { return entry<TcDoTempletFn>(4); }
    TcSafeMatchFn safeMatch() const { return entry<TcSafeMatchFn>(5); }

private:
    template <typename F> F entry(int index) const { return reinterpret_cast<F>(entries[index]); }
    void forget();

    QLibrary library;
    std::array<QFunctionPointer, exportCount> entries{};
};
