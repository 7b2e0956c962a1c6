# -*- coding: utf-8 -*-
# Copyright: korva-tuner contributors
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)

from __future__ import absolute_import, division, print_function
__metaclass__ = type


class ModuleDocFragment(object):
    # How every module reaches a processor: the options of korva-ctl it passes on.
    DOCUMENTATION = r'''
options:
  remote:
    description:
      - The korvad URL of a room (C(http://) or C(https://)); several URLs check several rooms at once.
      - Without it, the processors attached to the machine that runs the module.
    type: list
    elements: str
    default: []
  token:
    description: korvad's token (otherwise korva-ctl reads C(KORVA_TOKEN) or O(token_file)).
    type: str
  token_file:
    description: A file whose first line is korvad's token.
    type: path
  ca_file:
    description: With C(https://), a CA certificate (PEM) to trust as well.
    type: path
  serial:
    description: The processor with this serial number.
    type: str
  device:
    description: The processor at this device path (on the room's computer with O(remote)).
    type: str
  ctl:
    description: The korva-ctl program to run.
    type: path
    default: korva-ctl
  demo:
    description: Run on this many virtual processors instead of hardware (C(korva-ctl --demo=N)); for trying a playbook.
    type: int
    default: 0
  demo_state:
    description: With O(demo), the folder that keeps the virtual processors' memory between runs.
    type: path
  demo_faults:
    description: With O(demo), faults armed in the virtual processors (C(korva-ctl --demo-faults)).
    type: str
notes:
  - Every module runs C(korva-ctl --json) and reads its objects; korva-ctl checks names, values and ranges
    before anything is sent.
'''
