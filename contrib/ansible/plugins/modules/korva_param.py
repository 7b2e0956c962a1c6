#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: korva-tuner contributors
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: korva_param
short_description: Keep one parameter of a KORVA processor at a value
description:
  - Reads the parameter (C(korva-ctl get)) and writes it (C(korva-ctl set), an acknowledged single write)
    only when the processor holds another value.
  - The processor stores values on its own scale (the frequency grid, 0.2 dB steps), so the value asked
    for is compared as the processor would store it; korva-ctl works that out on a virtual processor, and
    nothing is sent to the real one for it. Asking for 1234 Hz where the processor holds 1200 Hz changes nothing.
  - In check mode the difference is reported and nothing is sent. With C(--diff) the old and new values are shown.
version_added: "1.0.0"
extends_documentation_fragment: [korva.processor.connection]
author: korva-tuner developers (@korva-tuner)
options:
  name:
    description: The parameter's name as korva-ctl knows it, with or without a C(g1.) … C(g8.) prefix (C(g1.mic12.eq3.freq)).
    type: str
    required: true
  value:
    description: The value in user units (Hz, dB, Q, ms, steps, C(1.2k)) or a switch by its name.
    type: str
    required: true
notes:
  - Check mode and diff mode are supported.
'''

EXAMPLES = r'''
- name: Room 12's microphone EQ3 sits at 1.2 kHz
  korva.processor.korva_param:
    name: g1.mic12.eq3.freq
    value: 1200
    remote: "{{ korvad_url }}"
    token_file: /etc/korva/token
'''

RETURN = r'''
name:
  description: The parameter's full name.
  returned: always
  type: str
old:
  description: The value the processor held, as korva-ctl get gives it (C(value), C(raw), C(text)).
  returned: always
  type: dict
new:
  description: The value it holds now (in check mode, would hold).
  returned: always
  type: dict
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.korva.processor.plugins.module_utils.korva_ctl import (
    CONNECTION_ARGS, CONNECTION_MUTUALLY_EXCLUSIVE, fail_on_errors, run_ctl)


def shown(value):
    return dict((k, value.get(k)) for k in ('value', 'raw', 'text'))


def main():
    argument_spec = dict(
        name=dict(type='str', required=True),
        value=dict(type='str', required=True),
    )
    argument_spec.update(CONNECTION_ARGS)
    module = AnsibleModule(argument_spec=argument_spec, supports_check_mode=True,
                           mutually_exclusive=CONNECTION_MUTUALLY_EXCLUSIVE)
    assignment = '%s=%s' % (module.params['name'], module.params['value'])

    # What the processor would store: the same write on a throwaway virtual processor. It also refuses a
    # name, a value or a range before anything reaches the real processor.
    stored, dummy = run_ctl(module, ['--demo', 'set', assignment], connection=False)
    fail_on_errors(module, stored, changed=False)
    wanted = stored[0]['values'][0]
    name = wanted['name']

    held, dummy = run_ctl(module, ['get', name])
    fail_on_errors(module, held, changed=False)
    if len(held) != 1:
        module.fail_json(msg='%d processors answered; name one with serial or device' % len(held), results=held)
    old = held[0]['values'][0]

    result = dict(name=name, old=shown(old), new=shown(old), changed=old['raw'] != wanted['raw'])
    if result['changed']:
        result['new'] = shown(wanted)
        result['diff'] = dict(before='%s = %s\n' % (name, old['text']), after='%s = %s\n' % (name, wanted['text']))
        if not module.check_mode:
            written, dummy = run_ctl(module, ['set', assignment])
            fail_on_errors(module, written, changed=True, name=name, old=result['old'])
            result['new'] = shown(written[0]['values'][0])
    module.exit_json(**result)


if __name__ == '__main__':
    main()
