#include "AudioDevices.h"

#include "GstSource.h"

#include <gst/gst.h>

namespace orv {

AudioDevices::~AudioDevices() {
    clear();
}

void AudioDevices::clear() {
    for (Entry& entry : m_entries)
        if (entry.device)
            gst_object_unref(entry.device);
    m_entries.clear();
}

int AudioDevices::refresh(bool withVirtual) {
    clear();
    if (!ensureGstreamer())
        return 0;
    GstDeviceMonitor* monitor = gst_device_monitor_new();
    if (gst_device_monitor_add_filter(monitor, "Audio/Source", nullptr) != 0) {
        // Asked without starting: the providers are probed once.
        GList* found = gst_device_monitor_get_devices(monitor);
        for (GList* item = found; item; item = item->next) {
            GstDevice* device = GST_DEVICE(item->data);
            g_autofree gchar* name = gst_device_get_display_name(device);
            m_entries.append(
                Entry{QString::fromUtf8(name ? name : "?"), GST_DEVICE(gst_object_ref(device))});
        }
        g_list_free_full(found, gst_object_unref);
    }
    gst_object_unref(monitor);
    if (withVirtual && !m_virtualSource.isEmpty())
        m_entries.append(Entry{QString::fromLatin1(kVirtualName), nullptr});
    return count();
}

QString AudioDevices::name(int index) const {
    return index >= 0 && index < count() ? m_entries.at(index).name : QString();
}

bool AudioDevices::select(int index) {
    if (index < 0 || index >= count())
        return false;
    m_selected = index;
    return true;
}

GstElement* AudioDevices::createSource() const {
    if (m_selected < 0 || m_selected >= count())
        return nullptr;
    const Entry& entry = m_entries.at(m_selected);
    if (entry.device)
        return gst_device_create_element(entry.device, nullptr);
    g_autoptr(GError) error = nullptr;
    GstElement* bin = gst_parse_bin_from_description(m_virtualSource.constData(), TRUE, &error);
    if (!bin)
        qWarning("virtual microphone: %s", error ? error->message : "?");
    return bin;
}

} // namespace orv
