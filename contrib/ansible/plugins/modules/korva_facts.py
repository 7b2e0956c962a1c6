#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: korva-tuner contributors
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: korva_facts
short_description: The KORVA processors of a room, their serials, online state and a checksum of their memory
description:
  - Backs every processor up (C(korva-ctl backup)) into a temporary folder and returns, for each, its serial,
    device, product, whether it answered, and the SHA-256 of the preset file written (the same memory gives
    the same checksum). Nothing is written to a processor, so it runs in check mode too.
version_added: "1.0.0"
extends_documentation_fragment: [korva.processor.connection]
author: korva-tuner developers (@korva-tuner)
'''

EXAMPLES = r'''
- name: What each room holds
  korva.processor.korva_facts:
    remote: "{{ korvad_url }}"
    token_file: /etc/korva/token
- name: Rooms that have drifted from the house preset
  ansible.builtin.debug:
    msg: "{{ ansible_facts.korva_processors | map(attribute='sha256') | list }}"
'''

RETURN = r'''
ansible_facts:
  description: Facts about the processors.
  returned: always
  type: dict
  contains:
    korva_processors:
      description: One entry per processor found.
      type: list
      elements: dict
      contains:
        serial:
          description: Its serial number (null when it reports none).
          type: str
        device:
          description: Its device path (on the room's computer with O(remote)).
          type: str
        product:
          description: Its product name.
          type: str
        url:
          description: The room's korvad URL, with O(remote).
          type: str
        online:
          description: It answered and its whole memory was read.
          type: bool
        error:
          description: korva-ctl's error code when it could not be read.
          type: str
        sha256:
          description: SHA-256 of its memory as a preset file; null when it could not be read.
          type: str
'''

import hashlib
import os
import shutil
import tempfile

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.korva.processor.plugins.module_utils.korva_ctl import (
    CONNECTION_ARGS, CONNECTION_MUTUALLY_EXCLUSIVE, processor_of, run_ctl, where)


def sha256_of(path):
    with open(path, 'rb') as memory:
        return hashlib.sha256(memory.read()).hexdigest()


def read_room(module, folder, index, url):
    """Backs up the processors of one room (or of this computer) into folder; their facts."""
    target = os.path.join(folder, 'room%d-{n}.PA' % index)
    chosen = module.params['serial'] or module.params['device']
    objects, dummy = run_ctl(module, ['backup', target] + ([] if chosen else ['--all']), remote=url)
    facts = []
    for obj in objects:
        if not obj.get('device'):
            if obj.get('ok'):
                continue
            module.fail_json(msg='%s: %s (%s)' % (where(obj) or 'korva-ctl', obj.get('message'), obj.get('error')),
                             results=objects)
        entry = processor_of(obj)
        entry['online'] = bool(obj.get('ok'))
        entry['error'] = obj.get('error')
        written = obj.get('file')
        entry['sha256'] = sha256_of(os.path.join(folder, os.path.basename(written))) if obj.get('ok') and written \
            else None
        facts.append(entry)
    return facts


def main():
    module = AnsibleModule(argument_spec=dict(CONNECTION_ARGS), supports_check_mode=True,
                           mutually_exclusive=CONNECTION_MUTUALLY_EXCLUSIVE)
    folder = tempfile.mkdtemp(prefix='korva-facts-')
    try:
        facts = []
        for index, url in enumerate(module.params['remote'] or [None]):
            facts += read_room(module, folder, index, url)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    module.exit_json(changed=False, ansible_facts=dict(korva_processors=facts))


if __name__ == '__main__':
    main()
