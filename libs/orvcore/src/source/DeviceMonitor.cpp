#include "DeviceMonitor.h"

#include <QMetaObject>

#include <gst/gst.h>

#include <mutex>

namespace orv {

// Carries device messages from GStreamer's threads to the monitor on the GUI
// thread; cut when the monitor goes.
struct MonitorRelay {
    std::mutex mutex;
    DeviceMonitor* monitor = nullptr;
    QObject* context = nullptr;

    void post(std::function<void(DeviceMonitor&)> work) {
        std::lock_guard lock(mutex);
        if (!monitor)
            return;
        DeviceMonitor* target = monitor;
        QMetaObject::invokeMethod(
            context, [target, work = std::move(work)] { work(*target); }, Qt::QueuedConnection);
    }
    void cut() {
        std::lock_guard lock(mutex);
        monitor = nullptr;
        context = nullptr;
    }
};

namespace {

using RelayRef = std::shared_ptr<MonitorRelay>;

constexpr const char* kProvider = "v4l2deviceprovider";

bool isCameraProvider(GstObject* object) {
    if (!object || !GST_IS_DEVICE_PROVIDER(object))
        return false;
    GstDeviceProviderFactory* factory =
        gst_device_provider_get_factory(GST_DEVICE_PROVIDER(object));
    return factory && g_strcmp0(GST_OBJECT_NAME(factory), kProvider) == 0;
}

bool fromCameraProvider(GstDevice* device) {
    GstObject* provider = gst_object_get_parent(GST_OBJECT(device));
    const bool ours = isCameraProvider(provider);
    if (provider)
        gst_object_unref(provider);
    return ours;
}

QString devicePath(GstDevice* device) {
    GstStructure* properties = gst_device_get_properties(device);
    if (!properties)
        return {};
    const char* path = gst_structure_get_string(properties, "device.path");
    if (!path)
        path = gst_structure_get_string(properties, "api.v4l2.path");
    const QString result = QString::fromUtf8(path);
    gst_structure_free(properties);
    return result;
}

// The description of a v4l2src on path, quoted for gst-launch syntax.
QString v4l2Source(const QString& path) {
    QString quoted = path;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QStringLiteral("v4l2src device=\"%1\"").arg(quoted);
}

DeviceInfo describe(GstDevice* device) {
    DeviceInfo info;
    info.id = devicePath(device);
    if (info.id.isEmpty())
        return info;
    g_autofree gchar* name = gst_device_get_display_name(device);
    info.name = name && *name ? QString::fromUtf8(name) : info.id;
    info.node = info.id;
    info.source = v4l2Source(info.id);
    GstCaps* caps = gst_device_get_caps(device);
    info.modes = GstSource::modesFromCaps(caps);
    if (caps)
        gst_caps_unref(caps);
    return info;
}

GstBusSyncReply onMonitorMessage(GstBus*, GstMessage* message, gpointer data) {
    MonitorRelay& relay = **static_cast<RelayRef*>(data);
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    if ((type == GST_MESSAGE_DEVICE_ADDED || type == GST_MESSAGE_DEVICE_REMOVED) &&
        isCameraProvider(GST_MESSAGE_SRC(message))) {
        GstDevice* device = nullptr;
        if (type == GST_MESSAGE_DEVICE_ADDED) {
            gst_message_parse_device_added(message, &device);
            DeviceInfo info = describe(device);
            if (!info.id.isEmpty())
                relay.post([info](DeviceMonitor& m) { m.reportArrival(info); });
        } else {
            gst_message_parse_device_removed(message, &device);
            const QString id = devicePath(device);
            if (!id.isEmpty())
                relay.post([id](DeviceMonitor& m) { m.reportRemoval(id); });
        }
        gst_object_unref(device);
    }
    gst_message_unref(message); // a handler that drops a message owns it
    return GST_BUS_DROP;
}

void releaseRelay(gpointer data) {
    delete static_cast<RelayRef*>(data);
}

} // namespace

DeviceMonitor::DeviceMonitor(Arrival onArrival, Removal onRemoval, bool watchDevices)
    : m_onArrival(std::move(onArrival)), m_onRemoval(std::move(onRemoval)),
      m_relay(std::make_shared<MonitorRelay>()) {
    m_relay->monitor = this;
    m_relay->context = &m_context;
    if (!watchDevices || !ensureGstreamer())
        return;

    GstDeviceMonitor* monitor = gst_device_monitor_new();
    // A provider that hides the v4l2 one (PipeWire's) must not hide our cameras.
    gst_device_monitor_set_show_all_devices(monitor, TRUE);
    if (gst_device_monitor_add_filter(monitor, "Video/Source", nullptr) == 0) {
        gst_object_unref(monitor); // no provider of cameras at all
        return;
    }
    GstBus* bus = gst_device_monitor_get_bus(monitor);
    gst_bus_set_sync_handler(bus, onMonitorMessage, new RelayRef(m_relay), releaseRelay);
    gst_object_unref(bus);
    if (!gst_device_monitor_start(monitor)) {
        qWarning("camera monitor: no device provider started; cameras are not watched");
        gst_object_unref(monitor);
        return;
    }
    m_monitor = monitor;

    // What is there now. Arrival messages of the same devices may follow;
    // they find the devices known already.
    GList* found = gst_device_monitor_get_devices(monitor);
    for (GList* item = found; item; item = item->next) {
        GstDevice* device = GST_DEVICE(item->data);
        if (!fromCameraProvider(device))
            continue;
        const DeviceInfo info = describe(device);
        bool known = info.id.isEmpty();
        for (const DeviceInfo& other : std::as_const(m_devices))
            known = known || other.id == info.id;
        if (!known)
            m_devices << info;
    }
    g_list_free_full(found, gst_object_unref);
}

DeviceMonitor::~DeviceMonitor() {
    m_relay->cut(); // nothing new is queued on m_context from here
    if (m_monitor) {
        gst_device_monitor_stop(m_monitor);
        gst_object_unref(m_monitor);
    }
}

bool DeviceMonitor::reportArrival(const DeviceInfo& device) {
    if (device.id.isEmpty())
        return false;
    for (const DeviceInfo& other : std::as_const(m_devices))
        if (other.id == device.id)
            return false;
    m_devices << device;
    if (m_onArrival)
        m_onArrival(device);
    return true;
}

bool DeviceMonitor::reportRemoval(const QString& id) {
    for (qsizetype i = 0; i < m_devices.size(); ++i) {
        if (m_devices.at(i).id == id) {
            m_devices.removeAt(i);
            if (m_onRemoval)
                m_onRemoval(id);
            return true;
        }
    }
    return false;
}

} // namespace orv
