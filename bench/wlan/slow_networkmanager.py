'''The tests' NetworkManager (camera_networkmanager.py) with replies that can be made slow:
SetReplyDelay(ms) makes every call to NetworkManager's own objects (not to the mock's control
interface) wait that long before it is answered, one after another, as a busy NetworkManager
does.'''

# pylint: disable=wildcard-import,unused-wildcard-import,invalid-name
import os
import sys
import time

import dbus
import dbus.service

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tests', 'libraries',
                                'systems-nm'))
from camera_networkmanager import *  # noqa: F401,F403,E402 (the tests' NetworkManager)
from dbusmock import MOCK_IFACE  # noqa: E402

REPLY_DELAY = [0.0]
_dispatch = dbus.service.Object._message_cb


def _slow_dispatch(self, connection, message):
    if REPLY_DELAY[0] > 0 and message.get_interface() != MOCK_IFACE:
        time.sleep(REPLY_DELAY[0])
    return _dispatch(self, connection, message)


dbus.service.Object._message_cb = _slow_dispatch


@dbus.service.method(MOCK_IFACE, in_signature='u', out_signature='')
def SetReplyDelay(_self, milliseconds):
    REPLY_DELAY[0] = milliseconds / 1000.0
