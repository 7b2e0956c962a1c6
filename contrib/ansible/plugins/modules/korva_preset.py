#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: korva-tuner contributors
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: korva_preset
short_description: Keep a KORVA processor's whole memory equal to a preset file
description:
  - Compares the processor with the preset file (C(korva-ctl verify)) and downloads the file
    (C(korva-ctl restore)) only to the processors that differ. korva-ctl reads the whole memory back after
    the download; a read-back that differs, or a download cut off, fails the task and names the block
    (C(blocks) and C(differences), or C(unanswered)).
  - In check mode the differences are reported by parameter name and nothing is sent.
  - With C(--diff) the parameters that change are shown, the processor's value before and the file's after.
version_added: "1.0.0"
extends_documentation_fragment: [korva.processor.connection]
author: korva-tuner developers (@korva-tuner)
options:
  src:
    description: The preset file (C(.PA)) on the machine that runs the module.
    type: path
    required: true
  state:
    description: C(present) makes the processors hold the file.
    type: str
    choices: [present]
    default: present
  all:
    description: Every processor found (at each O(remote) URL), instead of the one named by O(serial) or O(device).
    type: bool
    default: false
notes:
  - Check mode and diff mode are supported.
'''

EXAMPLES = r'''
- name: Every room holds the house preset
  korva.processor.korva_preset:
    src: house.PA
    remote: "{{ korvad_url }}"
    token_file: /etc/korva/token
    all: true
'''

RETURN = r'''
msg:
  description: The parameters that differed, by processor (what was restored, or in check mode would be).
  returned: always
  type: str
processors:
  description: One entry per processor compared.
  returned: always
  type: list
  elements: dict
  contains:
    serial:
      description: Its serial number.
      type: str
    url:
      description: The room's korvad URL, with O(remote).
      type: str
    differences:
      description: The parameters that differ, C(old) the file's value and C(new) the processor's (as korva-ctl verify).
      type: list
      elements: dict
    restored:
      description: The file was downloaded and read back equal.
      type: bool
    blocks_written:
      description: The blocks the download got through.
      type: list
      elements: str
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.korva.processor.plugins.module_utils.korva_ctl import (
    CONNECTION_ARGS, CONNECTION_MUTUALLY_EXCLUSIVE, diff_lines, fail_on_errors, processor_of, run_ctl, where)


def restore(module, src, verified):
    """Downloads the file to one processor that differs; fails naming the block when it does not hold."""
    objects, dummy = run_ctl(module, ['restore', src], serial=verified.get('serial'),
                             device=None if verified.get('serial') else verified.get('device'),
                             remote=verified.get('url'))
    result = objects[0]
    download = result.get('download') or {}
    if not result.get('ok'):
        differences = result.get('differences') or []
        blocks = sorted(set(d['block'] for d in differences if d.get('block')))
        if download.get('unanswered'):
            why = 'block %s was not acknowledged' % download['unanswered']
        elif differences:
            why = 'block %s read back different (%s)' % (', '.join(blocks), ', '.join(
                '%s %s -> %s' % (d['name'], d['old_text'], d['new_text']) for d in differences))
        else:
            why = result.get('error')
        module.fail_json(msg='%s: restore of %s failed, %s: %s' % (where(result), src, why, result.get('message')),
                         error=result.get('error'), unanswered=download.get('unanswered'), blocks=blocks,
                         blocks_written=download.get('blocks_written', []), differences=differences,
                         results=objects, changed=True)
    return download.get('blocks_written', [])


def main():
    argument_spec = dict(
        src=dict(type='path', required=True),
        state=dict(type='str', choices=['present'], default='present'),
        all=dict(type='bool', default=False),
    )
    argument_spec.update(CONNECTION_ARGS)
    module = AnsibleModule(argument_spec=argument_spec, supports_check_mode=True,
                           mutually_exclusive=CONNECTION_MUTUALLY_EXCLUSIVE + [['all', 'serial', 'device']])
    src = module.params['src']
    objects, dummy = run_ctl(module, ['verify', src] + (['--all'] if module.params['all'] else []))
    fail_on_errors(module, objects, changed=False)

    processors = []
    diffs = []
    for obj in objects:
        entry = processor_of(obj)
        entry['differences'] = obj.get('differences', [])
        entry['restored'] = False
        entry['blocks_written'] = []
        processors.append(entry)
        if entry['differences']:
            diffs.append(dict(before_header='%s (%s)' % (where(obj), 'processor'),
                              after_header='%s (%s)' % (where(obj), src),
                              before=diff_lines(entry['differences'], 'new'),
                              after=diff_lines(entry['differences'], 'old')))
    changed = bool(diffs)
    if changed and not module.check_mode:
        for entry, obj in zip(processors, objects):
            if entry['differences']:
                entry['blocks_written'] = restore(module, src, obj)
                entry['restored'] = True
    differing = ['%s: %s' % (where(obj), ', '.join(d['name'] for d in entry['differences']))
                 for entry, obj in zip(processors, objects) if entry['differences']]
    msg = '; '.join(differing) if differing else 'every processor holds %s' % src
    module.exit_json(changed=changed, msg=msg, processors=processors, diff=diffs)


if __name__ == '__main__':
    main()
