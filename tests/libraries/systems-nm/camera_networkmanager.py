'''NetworkManager for the Wi-Fi tests: python-dbusmock's networkmanager template, with what the
tests need beyond it.

- Activations answer first and then walk the device through NetworkManager's states
  (prepare, config, ip-config, activated), as the real service does.
- SSIDs are bytes, as access points send them: AddAccessPointWithSsid adds an access point
  whose SSID is any bytes, SetNetworkKeyOfSsid sets the key of such an SSID.
- Each access point's SSID may carry a key (SetNetworkKey); an activation whose connection
  holds another key (or none) goes prepare, config, need-auth and fails with reason 7 (no
  secrets), as NetworkManager does without a secret agent. A WEP key counts only with the key
  type its form calls for (a 5/13-character or 10/26-hex-digit key, else a passphrase).
- An activation is refused, as NetworkManager refuses it, when the connection is bound to
  another device (interface name or hardware address) or its key management does not match
  the access point's security flags.
- AddSavedConnection adds a connection as another program (or the user) saves it, autoconnect
  as it says; SecretReads tells how often a connection's secrets were asked for.
- A device's Autoconnect goes off with Device.Disconnect, as NetworkManager documents. After a
  connection is deactivated on request, a device whose Autoconnect is on joins the first saved
  connection with autoconnect on that fits an access point in reach, the deactivated one
  excepted (NetworkManager blocks that one until asked).
- SetActivationRefused makes NetworkManager refuse an activation for an SSID outright.
- Connections added by AddAndActivateConnection keep the settings and secrets they were given.
- AddCameraWiFiDevice adds a Wi-Fi device with LastScan, ActiveAccessPoint, a RequestScan that
  moves LastScan, and Disconnect.
- DropAccessPoint removes an access point and, when the device is joined to it, ends that
  connection as the supplicant losing the network does.
- RemoveDevice takes a device away.
- FreezeOnAccessPointRead makes the mock stop itself (SIGSTOP, as a hung NetworkManager) when
  it is next asked for an access point's properties, before it answers: the caller then waits
  inside that call until the mock is resumed (SIGCONT).
- SetJoinsUnanswered makes the joins of an SSID (ActivateConnection, AddAndActivateConnection)
  wait unanswered, as NetworkManager leaves requests it has not got to: CarryOutUnansweredJoins
  then carries them out in their order and answers each with its outcome (a refusal when one
  is set by then: NetworkManager dropping the join); HeldJoins tells how many wait.
- SetActivationsHeld keeps activations in the config state (before IP configuration) until
  it is switched off again.
- SetLeavesHeld answers a deactivation at once but keeps the device on the network until it
  is switched off again, as NetworkManager taking its time to leave; HeldLeaves tells how many
  wait. A leave whose connection was replaced meanwhile ends nothing.
'''

# pylint: disable=wildcard-import,unused-wildcard-import,invalid-name
import os
import signal

import dbus
import dbus.service
import dbusmock
from dbusmock import MOCK_IFACE
from dbusmock.templates import networkmanager as base
from dbusmock.templates.networkmanager import *  # noqa: F401,F403 (the template's methods)
from gi.repository import GLib

NETWORK_KEYS = {}  # SSID -> the key its access points accept (absent: open)
REFUSED = set()    # SSIDs whose activation is refused
SECRET_READS = {}  # connection path -> number of GetSecrets calls
ACTIVE_COUNT = [0]
FREEZE_ON_AP_READ = [False]
UNANSWERED = set()  # SSIDs whose joins go unanswered
LATE_JOINS = []     # (object, connection, message) of the joins not answered yet, in their order
HOLD_ACTIVATIONS = [False]
HOLD_LEAVES = [False]
HELD_LEAVES = [0]
STEP_MS = 5        # between two device states of one activation
AGAIN = 'again'    # a step that is not done yet

REASON_NONE = 0
REASON_NO_SECRETS = 7
REASON_SUPPLICANT_DISCONNECT = 8
REASON_USER_REQUESTED = 39


_dispatch = dbus.service.Object._message_cb


def _freezing_dispatch(self, connection, message):
    if FREEZE_ON_AP_READ[0] and message.get_member() in ('GetAll', 'Get') \
            and (message.get_path() or '').startswith('/org/freedesktop/NetworkManager/AccessPoint/'):
        FREEZE_ON_AP_READ[0] = False
        os.kill(os.getpid(), signal.SIGSTOP)
    if UNANSWERED and _join_ssid(message) in UNANSWERED:
        LATE_JOINS.append((self, connection, message))
        return None
    return _dispatch(self, connection, message)


dbus.service.Object._message_cb = _freezing_dispatch


def _join_ssid(message):
    '''The SSID a join asks for; None for any other call.'''
    if message.get_interface() != MANAGER_IFACE \
            or message.get_member() not in ('ActivateConnection', 'AddAndActivateConnection'):
        return None
    try:
        first = message.get_args_list()[0]
        settings = first if message.get_member() == 'AddAndActivateConnection' \
            else dbusmock.get_object(str(first)).settings
        return _ssid_of(settings)
    except (KeyError, IndexError, TypeError):
        return None


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
    '''Runs the steps one by one from the main loop, after the current call has answered; a
    step that gives AGAIN runs again on the next turn.'''
    def next_step():
        try:
            if steps and steps[0]() != AGAIN:
                steps.pop(0)
        except KeyError:  # the device went meanwhile
            steps.clear()
        return bool(steps)
    GLib.timeout_add(STEP_MS, next_step)


def _ssid_of(settings):
    return bytes(bytearray(int(b) for b in settings['802-11-wireless']['ssid']))


def _ssid_and_key(conn_path):
    settings = dbusmock.get_object(conn_path).settings
    secrets = getattr(dbusmock.get_object(conn_path), 'secrets', {})
    key = None
    for name in ('psk', 'wep-key0'):
        if name in secrets:
            key = str(secrets[name])
    return _ssid_of(settings), key


def _wep_key_type_fits(settings, key):
    '''NetworkManager hashes a passphrase into another key than the key itself.'''
    security = settings.get('802-11-wireless-security', {})
    if str(security.get('key-mgmt', '')) != 'none' or key is None:
        return True
    hexadecimal = all(c in '0123456789abcdefABCDEF' for c in key)
    key_form = len(key) in (5, 13) or (len(key) in (10, 26) and hexadecimal)
    return int(security.get('wep-key-type', 0)) == (1 if key_form else 2)


def _security_fits(ap_path, settings):
    ap = dbusmock.get_object(ap_path)
    privacy = int(ap.Get(ACCESS_POINT_IFACE, 'Flags')) & 0x1
    wpa = int(ap.Get(ACCESS_POINT_IFACE, 'WpaFlags'))
    rsn = int(ap.Get(ACCESS_POINT_IFACE, 'RsnFlags'))
    security = settings.get('802-11-wireless-security')
    key_mgmt = str(security['key-mgmt']) if security is not None else None
    key_management = (wpa | rsn) & 0x3f00
    if key_mgmt is None:
        return not privacy and key_management == 0
    return {'none': privacy and key_management == 0,
            'wpa-psk': (wpa | rsn) & 0x100,
            'sae': rsn & 0x400,
            'owe': rsn & 0x1800,
            'wpa-eap': (wpa | rsn) & 0x200}.get(key_mgmt, False)


def _device_fits(dev_path, settings):
    dev = dbusmock.get_object(dev_path)
    bound_name = str(settings['connection'].get('interface-name', ''))
    if bound_name and bound_name != str(dev.Get(DEVICE_IFACE, 'Interface')):
        return False
    mac = settings['802-11-wireless'].get('mac-address')
    if mac:
        text = ':'.join(f'{int(b):02X}' for b in mac)
        return text == str(dev.Get(WIRELESS_DEVICE_IFACE, 'PermHwAddress')).upper()
    return True


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


def _check_activation(settings, dev):
    ssid = _ssid_of(settings)
    if ssid in REFUSED:
        raise dbus.exceptions.DBusException('Not authorized to control networking.',
                                            name='org.freedesktop.NetworkManager.PermissionDenied')
    dev_obj = dbusmock.get_object(dev)
    in_reach = [path for path in dev_obj.access_points
                if bytes(dbusmock.get_object(path).Get(ACCESS_POINT_IFACE, 'Ssid')) == ssid]
    if not in_reach:
        raise dbus.exceptions.DBusException(f'Connection {ssid} is not available on the device: no access point',
                                            name='org.freedesktop.NetworkManager.UnknownConnection')
    if not _device_fits(dev, settings):
        raise dbus.exceptions.DBusException(f'Connection {ssid} is not available on device {dev}',
                                            name='org.freedesktop.NetworkManager.ConnectionNotAvailable')
    if not any(_security_fits(path, settings) for path in in_reach):
        raise dbus.exceptions.DBusException(f'Connection {ssid} does not match the security of the access point',
                                            name='org.freedesktop.NetworkManager.ConnectionNotAvailable')


def activate_camera_connection(self, conn, dev, ap):
    return _activate(self, conn, dev, ap)


def _activate(self, conn, dev, ap):
    ssid, key = _ssid_and_key(conn)
    _check_activation(dbusmock.get_object(conn).settings, dev)
    dev_obj = dbusmock.get_object(dev)
    current = dev_obj.Get(DEVICE_IFACE, 'ActiveConnection')
    if str(current) != '/':
        _remove_active(dev, current, REASON_NONE)

    actives = self.Get(MANAGER_IFACE, 'ActiveConnections')
    # NetworkManager numbers active connections on and never gives a path out twice.
    ACTIVE_COUNT[0] += 1
    active_path = f'/org/freedesktop/NetworkManager/ActiveConnection/{ACTIVE_COUNT[0]}'
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
    accepted = expected is None or (key == expected and _wep_key_type_fits(settings, key))

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
        steps += [lambda: AGAIN if HOLD_ACTIVATIONS[0] else None, state(DeviceState.IP_CONFIG), activated]
    else:
        steps += [state(DeviceState.NEED_AUTH), failed]

    def unless_ended(step):
        '''A deactivated or replaced activation goes no further.'''
        def run():
            if dev_obj.Get(DEVICE_IFACE, 'ActiveConnection') == active_path:
                return step()
            return None
        return run
    _run_steps([unless_ended(step) for step in steps])
    return dbus.ObjectPath(active_path)


def _save_connection(conn_conf):
    '''Adds a connection; its key is kept apart: GetSettings never hands it out, GetSecrets does.'''
    autoconnect = conn_conf['connection'].get('autoconnect', True)
    conn_conf['connection']['autoconnect'] = False  # the base template would activate it at once
    conn = dbusmock.get_object(SETTINGS_OBJ).SettingsAddConnection(conn_conf)
    conn_obj = dbusmock.get_object(conn)
    conn_obj.settings['connection']['autoconnect'] = autoconnect
    security = conn_obj.settings.get('802-11-wireless-security')
    conn_obj.secrets = {}
    for name in ('psk', 'wep-key0'):
        if security is not None and name in security:
            conn_obj.secrets[name] = str(security.pop(name))
    conn_obj.ConnectionGetSecrets = _get_secrets
    return conn


def add_and_activate_camera_connection(self, conn_conf, dev, ap):
    _check_activation(conn_conf, dev)
    conn = _save_connection(conn_conf)
    active = _activate(self, conn, dev, ap)
    return (dbus.ObjectPath(conn), active)


def _get_secrets(conn_obj, setting):
    SECRET_READS[conn_obj.connection_path] = SECRET_READS.get(conn_obj.connection_path, 0) + 1
    secrets = getattr(conn_obj, 'secrets', {}) if setting == '802-11-wireless-security' else {}
    return dbus.Dictionary({setting: dbus.Dictionary(secrets, signature='sv')}, signature='sa{sv}')


def deactivate_camera_connection(self, active_path):
    for dev_path in self.GetDevices():
        dev = dbusmock.get_object(dev_path)
        if dev.Get(DEVICE_IFACE, 'ActiveConnection') == active_path:
            left = dbusmock.get_object(active_path).Get(ACTIVE_CONNECTION_IFACE, 'Connection')
            if not HOLD_LEAVES[0]:
                _remove_active(dev_path, active_path, REASON_USER_REQUESTED)
                _run_steps([lambda dev_path=dev_path, left=left: _autoconnect(dev_path, str(left))])
                continue
            HELD_LEAVES[0] += 1

            def leave(dev_path=dev_path, active_path=active_path, left=left):
                if HOLD_LEAVES[0]:
                    return AGAIN
                HELD_LEAVES[0] -= 1
                if dbusmock.get_object(dev_path).Get(DEVICE_IFACE, 'ActiveConnection') == active_path:
                    _remove_active(dev_path, active_path, REASON_USER_REQUESTED)
                    _autoconnect(dev_path, str(left))
                return None
            _run_steps([leave])


def _autoconnect(dev_path, blocked):
    dev = dbusmock.get_object(dev_path)
    if not dev.Get(DEVICE_IFACE, 'Autoconnect') or str(dev.Get(DEVICE_IFACE, 'ActiveConnection')) != '/':
        return
    manager = dbusmock.get_object(MANAGER_OBJ)
    for conn in dbusmock.get_object(SETTINGS_OBJ).ListConnections():
        settings = dbusmock.get_object(conn).settings
        if str(conn) == blocked or not settings['connection'].get('autoconnect', True) \
                or '802-11-wireless' not in settings or not _device_fits(dev_path, settings):
            continue
        for ap in dev.access_points:
            if bytes(dbusmock.get_object(ap).Get(ACCESS_POINT_IFACE, 'Ssid')) == _ssid_of(settings) \
                    and _security_fits(ap, settings):
                _activate(manager, conn, dev_path, ap)
                return


@dbus.service.method(MOCK_IFACE, in_signature='a{sa{sv}}', out_signature='s')
def AddSavedConnection(_self, conn_conf):
    return _save_connection(conn_conf)


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='u')
def SecretReads(_self, conn_path):
    return dbus.UInt32(SECRET_READS.get(str(conn_path), 0))


@dbus.service.method(MOCK_IFACE, in_signature='ss', out_signature='')
def SetNetworkKey(_self, ssid, key):
    NETWORK_KEYS[str(ssid).encode('utf-8')] = str(key)


@dbus.service.method(MOCK_IFACE, in_signature='ays', out_signature='')
def SetNetworkKeyOfSsid(_self, ssid, key):
    NETWORK_KEYS[bytes(bytearray(ssid))] = str(key)


@dbus.service.method(MOCK_IFACE, in_signature='ssaysyu', out_signature='s')
def AddAccessPointWithSsid(self, dev_path, ap_name, ssid, hw_address, strength, security):
    '''An access point whose SSID is these bytes, set before anyone can read it.'''
    path = self.AddAccessPoint(dev_path, ap_name, 'unnamed', hw_address, 2, 2412, 54000, strength, security)
    dbusmock.get_object(path).Set(ACCESS_POINT_IFACE, 'Ssid', dbus.ByteArray(bytes(bytearray(ssid))))
    return path


@dbus.service.method(MOCK_IFACE, in_signature='sb', out_signature='')
def SetActivationRefused(_self, ssid, refused):
    if refused:
        REFUSED.add(str(ssid).encode('utf-8'))
    else:
        REFUSED.discard(str(ssid).encode('utf-8'))


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='')
def FreezeOnAccessPointRead(_self):
    FREEZE_ON_AP_READ[0] = True


@dbus.service.method(MOCK_IFACE, in_signature='sb', out_signature='')
def SetJoinsUnanswered(_self, ssid, unanswered):
    if unanswered:
        UNANSWERED.add(str(ssid).encode('utf-8'))
    else:
        UNANSWERED.discard(str(ssid).encode('utf-8'))


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='u')
def CarryOutUnansweredJoins(_self):
    '''Carries out the joins that waited unanswered and answers them, in their order (a caller
    that stopped waiting hears nothing); how many there were.'''
    joins = list(LATE_JOINS)
    LATE_JOINS.clear()
    for target, connection, message in joins:
        _dispatch(target, connection, message)
    return dbus.UInt32(len(joins))


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='u')
def HeldJoins(_self):
    return dbus.UInt32(len(LATE_JOINS))


@dbus.service.method(MOCK_IFACE, in_signature='b', out_signature='')
def SetActivationsHeld(_self, held):
    HOLD_ACTIVATIONS[0] = bool(held)


@dbus.service.method(MOCK_IFACE, in_signature='b', out_signature='')
def SetLeavesHeld(_self, held):
    HOLD_LEAVES[0] = bool(held)


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='u')
def HeldLeaves(_self):
    return dbus.UInt32(HELD_LEAVES[0])


@dbus.service.method(MOCK_IFACE, in_signature='ss', out_signature='s')
def AddCameraWiFiDevice(self, device_name, iface_name):
    # The same adapter keeps its address when it comes back.
    return self.AddCameraWiFiDeviceAt(device_name, iface_name, f'02:00:00:00:02:{sum(iface_name.encode()) % 256:02X}')


@dbus.service.method(MOCK_IFACE, in_signature='sss', out_signature='s')
def AddCameraWiFiDeviceAt(self, device_name, iface_name, address):
    """A Wi-Fi adapter with a hardware address of its own (another stick under a known name)."""
    path = self.AddWiFiDevice(device_name, iface_name, DeviceState.DISCONNECTED)
    dev = dbusmock.get_object(path)
    dev.AddProperties(WIRELESS_DEVICE_IFACE, {'ActiveAccessPoint': dbus.ObjectPath('/'), 'LastScan': dbus.Int64(-1)})
    dev.Set(WIRELESS_DEVICE_IFACE, 'HwAddress', address)
    dev.Set(WIRELESS_DEVICE_IFACE, 'PermHwAddress', address)
    dev.AddProperties(DEVICE_IFACE, {'Autoconnect': True})
    dev.AddMethod(WIRELESS_DEVICE_IFACE, 'RequestScan', 'a{sv}', '',
                  "self.Set('org.freedesktop.NetworkManager.Device.Wireless', 'LastScan', "
                  "dbus.Int64(self.Get('org.freedesktop.NetworkManager.Device.Wireless', 'LastScan') + 1000))")
    dev.AddMethod(DEVICE_IFACE, 'Disconnect', '', '', 'self.disconnect_device(self)')
    dev.disconnect_device = _disconnect_device
    return path


def _disconnect_device(dev):
    dev.Set(DEVICE_IFACE, 'Autoconnect', False)
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
