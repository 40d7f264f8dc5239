'''NetworkManager for the Wi-Fi tests: python-dbusmock's networkmanager template, with what the
tests need beyond it.

- Activations answer first and then walk the device through NetworkManager's states
  (prepare, config, ip-config, activated), as the real service does.
- Each access point's SSID may carry a key (SetNetworkKey); an activation whose connection
  holds another key (or none) goes prepare, config, need-auth and fails with reason 7 (no
  secrets), as NetworkManager does without a secret agent.
- SetActivationRefused makes NetworkManager refuse an activation for an SSID outright.
- Connections added by AddAndActivateConnection keep the settings and secrets they were given.
- AddCameraWiFiDevice adds a Wi-Fi device with LastScan, ActiveAccessPoint, a RequestScan that
  moves LastScan, and Disconnect.
- DropAccessPoint removes an access point and, when the device is joined to it, ends that
  connection as the supplicant losing the network does.
- RemoveDevice takes a device away.
'''

# pylint: disable=wildcard-import,unused-wildcard-import,invalid-name
import dbus
import dbusmock
from dbusmock import MOCK_IFACE
from dbusmock.templates import networkmanager as base
from dbusmock.templates.networkmanager import *  # noqa: F401,F403 (the template's methods)
from gi.repository import GLib

NETWORK_KEYS = {}  # SSID -> the key its access points accept (absent: open)
REFUSED = set()    # SSIDs whose activation is refused
STEP_MS = 5        # between two device states of one activation

REASON_NONE = 0
REASON_NO_SECRETS = 7
REASON_SUPPLICANT_DISCONNECT = 8
REASON_USER_REQUESTED = 39


def load(mock, parameters):
    base.load(mock, parameters)
    manager = dbusmock.get_object(MANAGER_OBJ)
    manager.activate_connection = activate_camera_connection
    manager.add_and_activate_connection = add_and_activate_camera_connection
    manager.deactivate_connection = deactivate_camera_connection


def _set_device_state(dev_path, state, reason):
    dev = dbusmock.get_object(dev_path)
    old = dev.Get(DEVICE_IFACE, 'State')
    if old == state:
        return
    dev.Set(DEVICE_IFACE, 'State', dbus.UInt32(state))
    dev.Set(DEVICE_IFACE, 'StateReason', dbus.Struct((dbus.UInt32(state), dbus.UInt32(reason))))
    dev.EmitSignal(DEVICE_IFACE, 'StateChanged', 'uuu', [dbus.UInt32(state), old, dbus.UInt32(reason)])


def _run_steps(steps):
    '''Runs the steps one by one from the main loop, after the current call has answered.'''
    def next_step():
        if steps:
            steps.pop(0)()
        return bool(steps)
    GLib.timeout_add(STEP_MS, next_step)


def _ssid_and_key(conn_path):
    settings = dbusmock.get_object(conn_path).settings
    ssid = bytes(bytearray(int(b) for b in settings['802-11-wireless']['ssid'])).decode('utf-8', 'replace')
    secrets = getattr(dbusmock.get_object(conn_path), 'secrets', {})
    key = str(secrets['psk']) if 'psk' in secrets else None
    return ssid, key


def _remove_active(dev_path, active_path, reason):
    '''Ends an active connection: deactivating, then disconnected.'''
    manager = dbusmock.get_object(MANAGER_OBJ)
    dev = dbusmock.get_object(dev_path)
    _set_device_state(dev_path, DeviceState.DEACTIVATING, reason)
    dev.Set(DEVICE_IFACE, 'ActiveConnection', dbus.ObjectPath('/'))
    dev.Set(WIRELESS_DEVICE_IFACE, 'ActiveAccessPoint', dbus.ObjectPath('/'))
    _set_device_state(dev_path, DeviceState.DISCONNECTED, reason)
    actives = manager.Get(MANAGER_IFACE, 'ActiveConnections')
    if active_path in actives:
        actives.remove(dbus.ObjectPath(active_path))
        manager.SetProperty(MANAGER_OBJ, MANAGER_IFACE, 'ActiveConnections', actives)
        manager.object_manager_emit_removed(active_path)
        manager.RemoveObject(active_path)


def _check_activation(ssid, dev):
    if ssid in REFUSED:
        raise dbus.exceptions.DBusException('Not authorized to control networking.',
                                            name='org.freedesktop.NetworkManager.PermissionDenied')
    dev_obj = dbusmock.get_object(dev)
    if not any(dbusmock.get_object(path).Get(ACCESS_POINT_IFACE, 'Ssid') == ssid.encode('utf-8')
               for path in dev_obj.access_points):
        raise dbus.exceptions.DBusException(f'Connection {ssid} is not available on the device: no access point',
                                            name='org.freedesktop.NetworkManager.UnknownConnection')


def activate_camera_connection(self, conn, dev, ap):
    ssid, key = _ssid_and_key(conn)
    _check_activation(ssid, dev)
    dev_obj = dbusmock.get_object(dev)
    current = dev_obj.Get(DEVICE_IFACE, 'ActiveConnection')
    if str(current) != '/':
        _remove_active(dev, current, REASON_NONE)

    actives = self.Get(MANAGER_IFACE, 'ActiveConnections')
    count = 0
    while dbus.ObjectPath(f'/org/freedesktop/NetworkManager/ActiveConnection/{count}') in actives:
        count += 1
    active_path = f'/org/freedesktop/NetworkManager/ActiveConnection/{count}'
    settings = dbusmock.get_object(conn).settings
    self.AddObject(active_path, ACTIVE_CONNECTION_IFACE, {
        'Devices': dbus.Array([dbus.ObjectPath(dev)], signature='o'),
        'Default6': False,
        'Default': True,
        'Type': settings['connection']['type'],
        'Vpn': False,
        'Connection': dbus.ObjectPath(conn),
        'Master': dbus.ObjectPath('/'),
        'SpecificObject': dbus.ObjectPath(ap),
        'Uuid': settings['connection']['uuid'],
        'State': dbus.UInt32(NMActiveConnectionState.NM_ACTIVE_CONNECTION_STATE_ACTIVATING),
        'Id': settings['connection']['id'],
    }, [])
    self.object_manager_emit_added(active_path)
    actives.append(dbus.ObjectPath(active_path))
    self.SetProperty(MANAGER_OBJ, MANAGER_IFACE, 'ActiveConnections', actives)
    dev_obj.Set(DEVICE_IFACE, 'ActiveConnection', dbus.ObjectPath(active_path))

    expected = NETWORK_KEYS.get(ssid)
    accepted = expected is None or key == expected

    def state(value, reason=REASON_NONE):
        return lambda: _set_device_state(dev, value, reason)

    def activated():
        dev_obj.Set(WIRELESS_DEVICE_IFACE, 'ActiveAccessPoint', dbus.ObjectPath(ap))
        active = dbusmock.get_object(active_path)
        active.Set(ACTIVE_CONNECTION_IFACE, 'State',
                   dbus.UInt32(NMActiveConnectionState.NM_ACTIVE_CONNECTION_STATE_ACTIVATED))
        _set_device_state(dev, DeviceState.ACTIVATED, REASON_NONE)

    def failed():
        _set_device_state(dev, DeviceState.FAILED, REASON_NO_SECRETS)
        dev_obj.Set(DEVICE_IFACE, 'ActiveConnection', dbus.ObjectPath('/'))
        _remove_active(dev, active_path, REASON_NO_SECRETS)

    steps = [state(DeviceState.PREPARE), state(DeviceState.CONFIG)]
    if accepted:
        steps += [state(DeviceState.IP_CONFIG), activated]
    else:
        steps += [state(DeviceState.NEED_AUTH), failed]
    _run_steps(steps)
    return dbus.ObjectPath(active_path)


def add_and_activate_camera_connection(self, conn_conf, dev, ap):
    ssid = bytes(bytearray(int(b) for b in conn_conf['802-11-wireless']['ssid'])).decode('utf-8', 'replace')
    _check_activation(ssid, dev)
    settings = dbusmock.get_object(SETTINGS_OBJ)
    conn = settings.SettingsAddConnection(conn_conf)
    # The key is kept apart from the settings: GetSettings never hands it out, GetSecrets does.
    conn_obj = dbusmock.get_object(conn)
    security = conn_obj.settings.get('802-11-wireless-security')
    conn_obj.secrets = {}
    if security is not None and 'psk' in security:
        conn_obj.secrets['psk'] = str(security.pop('psk'))
    conn_obj.ConnectionGetSecrets = _get_secrets
    active = activate_camera_connection(self, conn, dev, ap)
    return (dbus.ObjectPath(conn), active)


def _get_secrets(conn_obj, setting):
    secrets = getattr(conn_obj, 'secrets', {}) if setting == '802-11-wireless-security' else {}
    return dbus.Dictionary({setting: dbus.Dictionary(secrets, signature='sv')}, signature='sa{sv}')


def deactivate_camera_connection(self, active_path):
    for dev_path in self.GetDevices():
        dev = dbusmock.get_object(dev_path)
        if dev.Get(DEVICE_IFACE, 'ActiveConnection') == active_path:
            _remove_active(dev_path, active_path, REASON_USER_REQUESTED)


@dbus.service.method(MOCK_IFACE, in_signature='ss', out_signature='')
def SetNetworkKey(_self, ssid, key):
    NETWORK_KEYS[str(ssid)] = str(key)


@dbus.service.method(MOCK_IFACE, in_signature='sb', out_signature='')
def SetActivationRefused(_self, ssid, refused):
    if refused:
        REFUSED.add(str(ssid))
    else:
        REFUSED.discard(str(ssid))


@dbus.service.method(MOCK_IFACE, in_signature='ss', out_signature='s')
def AddCameraWiFiDevice(self, device_name, iface_name):
    path = self.AddWiFiDevice(device_name, iface_name, DeviceState.DISCONNECTED)
    dev = dbusmock.get_object(path)
    dev.AddProperties(WIRELESS_DEVICE_IFACE, {'ActiveAccessPoint': dbus.ObjectPath('/'), 'LastScan': dbus.Int64(-1)})
    dev.AddMethod(WIRELESS_DEVICE_IFACE, 'RequestScan', 'a{sv}', '',
                  "self.Set('org.freedesktop.NetworkManager.Device.Wireless', 'LastScan', "
                  "dbus.Int64(self.Get('org.freedesktop.NetworkManager.Device.Wireless', 'LastScan') + 1000))")
    dev.AddMethod(DEVICE_IFACE, 'Disconnect', '', '', 'self.disconnect_device(self)')
    dev.disconnect_device = _disconnect_device
    return path


def _disconnect_device(dev):
    active = dev.Get(DEVICE_IFACE, 'ActiveConnection')
    if str(active) == '/':
        raise dbus.exceptions.DBusException('This device is not active',
                                            name='org.freedesktop.NetworkManager.Device.NotActive')
    _remove_active(dev.path, active, REASON_USER_REQUESTED)


@dbus.service.method(MOCK_IFACE, in_signature='ss', out_signature='')
def DropAccessPoint(self, dev_path, ap_path):
    dev = dbusmock.get_object(dev_path)
    joined = dev.Get(WIRELESS_DEVICE_IFACE, 'ActiveAccessPoint') == ap_path
    active = dev.Get(DEVICE_IFACE, 'ActiveConnection')
    self.RemoveAccessPoint(dev_path, ap_path)
    if joined and str(active) != '/':
        _remove_active(dev_path, active, REASON_SUPPLICANT_DISCONNECT)


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def RemoveDevice(self, dev_path):
    dev = dbusmock.get_object(dev_path)
    active = dev.Get(DEVICE_IFACE, 'ActiveConnection')
    if str(active) != '/':
        _remove_active(dev_path, active, REASON_NONE)
    manager = dbusmock.get_object(MANAGER_OBJ)
    devices = manager.Get(MANAGER_IFACE, 'Devices')
    devices.remove(dbus.ObjectPath(dev_path))
    manager.Set(MANAGER_IFACE, 'Devices', devices)
    manager.EmitSignal(MANAGER_IFACE, 'DeviceRemoved', 'o', [dbus.ObjectPath(dev_path)])
    for ap_path in list(dev.access_points):
        self.object_manager_emit_removed(ap_path)
        self.RemoveObject(ap_path)
    self.object_manager_emit_removed(dev_path)
    self.RemoveObject(dev_path)
