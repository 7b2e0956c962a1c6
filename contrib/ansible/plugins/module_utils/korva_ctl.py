# -*- coding: utf-8 -*-
# Copyright: korva-tuner contributors
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)
"""Runs korva-ctl --json for the modules: the connection options they share, the objects it prints and
the failures they report. Every rule about the processor stays in korva-ctl; this only reads its JSON."""

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import json

# The options every module takes to reach a processor.
CONNECTION_ARGS = dict(
    remote=dict(type='list', elements='str', default=[]),
    token=dict(type='str', no_log=True),
    token_file=dict(type='path'),
    ca_file=dict(type='path'),
    serial=dict(type='str'),
    device=dict(type='str'),
    ctl=dict(type='path', default='korva-ctl'),
    demo=dict(type='int', default=0),
    demo_state=dict(type='path'),
    demo_faults=dict(type='str'),
)

CONNECTION_MUTUALLY_EXCLUSIVE = [['serial', 'device'], ['token', 'token_file'], ['remote', 'demo']]


def connection_options(params, serial=None, device=None, remote=None):
    """The korva-ctl options that pick the processors; serial, device and remote override the task's."""
    args = []
    for url in ([remote] if remote else params['remote']):
        args += ['--remote', url]
    if params['token_file']:
        args += ['--token-file', params['token_file']]
    if params['ca_file']:
        args += ['--ca-file', params['ca_file']]
    if params['demo']:
        args.append('--demo=%d' % params['demo'])
        if params['demo_state']:
            args += ['--demo-state', params['demo_state']]
        if params['demo_faults']:
            args += ['--demo-faults', params['demo_faults']]
    serial = serial if serial or device else params['serial']
    device = device if serial or device else params['device']
    if serial:
        args += ['--serial', serial]
    elif device:
        args += ['--device', device]
    return args


def run_ctl(module, command, serial=None, device=None, remote=None, connection=True):
    """Runs korva-ctl --json with the command; returns its objects (one per processor) and exit code."""
    args = [module.params['ctl'], '--json']
    if connection:
        args += connection_options(module.params, serial, device, remote)
    args += command
    environ = {}
    if module.params['token']:
        environ['KORVA_TOKEN'] = module.params['token']
    rc, out, err = module.run_command(args, environ_update=environ)
    objects = []
    for line in out.splitlines():
        line = line.strip()
        if not line:
            continue
        try:
            objects.append(json.loads(line))
        except ValueError:
            module.fail_json(msg='korva-ctl printed something that is not JSON: %s' % line,
                             rc=rc, stdout=out, stderr=err)
    if not objects:
        module.fail_json(msg='korva-ctl printed no result (exit %d): %s' % (rc, err.strip()),
                         rc=rc, stdout=out, stderr=err)
    return objects, rc


def where(obj):
    """The processor an object is about, for messages: serial (or device) and the room's URL."""
    who = obj.get('serial') or obj.get('device') or ''
    if obj.get('url'):
        who = '%s@%s' % (who, obj['url']) if who else obj['url']
    return who


def processor_of(obj):
    """The keys that name a processor, as the modules return them."""
    return dict((k, obj.get(k)) for k in ('serial', 'device', 'product', 'url'))


def fail_on_errors(module, objects, **result):
    """Fails the task when any object reports a failure, naming each processor and korva-ctl's code."""
    failed = [o for o in objects if not o.get('ok')]
    if failed:
        reasons = ['%s: %s (%s)' % (where(o) or o.get('command') or 'korva-ctl', o.get('message'), o.get('error'))
                   for o in failed]
        module.fail_json(msg='; '.join(reasons), errors=[o.get('error') for o in failed], results=objects,
                         **result)


def diff_lines(differences, side):
    """One line per parameter, name and value as korva-ctl prints it, for Ansible's diff."""
    return ''.join('%s = %s\n' % (d['name'], d[side + '_text']) for d in differences)
