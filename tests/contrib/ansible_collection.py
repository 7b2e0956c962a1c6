#!/usr/bin/python3
"""The Ansible collection korva.processor end to end: ansible-playbook (connection local) against a korvad
over two virtual processors on a loopback port, and against a local virtual processor that loses its link
during a download or stores a block wrong. korvad's demo frame counts prove what each run sent.

usage: ansible_collection.py KORVA_CTL KORVAD COLLECTION_DIR"""

import hashlib
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

CTL, KORVAD, COLLECTION = (os.path.abspath(a) for a in sys.argv[1:4])
WAIT_S = 30

# The registered results, written out also in check mode.
REPORT = """
    - ansible.builtin.copy:
        content: "{{ {'preset': preset, 'param': param | default(None), 'facts': facts | default(None)} | to_json }}"
        dest: "{{ report }}"
      check_mode: false
"""

PLAYBOOK = """
- hosts: localhost
  connection: local
  gather_facts: false
  vars:
    room: &room
      remote: ["{{ url }}"]
      token_file: "{{ token_file }}"
      ctl: "{{ ctl }}"
  tasks:
    - korva.processor.korva_preset:
        src: "{{ house }}"
        serial: SIM-0001
        <<: *room
      register: preset
    - korva.processor.korva_param:
        name: g1.mic12.eq3.freq
        value: "1234"
        serial: SIM-0002
        <<: *room
      register: param
    - korva.processor.korva_facts:
        <<: *room
      register: facts
""" + REPORT

FAULT_PLAYBOOK = """
- hosts: localhost
  connection: local
  gather_facts: false
  tasks:
    - korva.processor.korva_preset:
        src: "{{ house }}"
        demo: 1
        demo_state: "{{ state }}"
        demo_faults: "{{ faults }}"
        ctl: "{{ ctl }}"
      register: preset
      ignore_errors: true
""" + REPORT


def free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


def fail(why, detail=''):
    print('FAIL: %s\n%s' % (why, detail))
    sys.exit(1)


class World:
    def __init__(self, root):
        self.root = root
        collections = os.path.join(root, 'collections', 'ansible_collections', 'korva')
        os.makedirs(collections)
        os.symlink(os.path.abspath(COLLECTION), os.path.join(collections, 'processor'))
        state = os.path.join(root, 'korvad')
        out = subprocess.run([KORVAD, 'token', 'add', 'ansible', '--state-dir', state], check=True,
                             capture_output=True, text=True).stdout
        self.token = out.strip()
        self.token_file = os.path.join(root, 'token')
        with open(self.token_file, 'w') as f:
            f.write(self.token + '\n')
        port = free_port()
        self.url = 'http://127.0.0.1:%d' % port
        self.korvad = subprocess.Popen([KORVAD, '--demo=2', '--listen', '127.0.0.1:%d' % port, '--state-dir', state],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # The preset: korvad's memory with two parameters changed.
        self.house = os.path.join(root, 'house.PA')
        made = ['--demo', '--demo-state', os.path.join(root, 'made')]
        os.makedirs(made[-1])
        subprocess.run([CTL] + made + ['set', 'g1.rec.eq1.gain=-3', 'g2.music.eq1.freq=100'], check=True,
                       capture_output=True)
        subprocess.run([CTL] + made + ['backup', self.house], check=True, capture_output=True)
        self.env = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=os.path.join(root, 'collections'),
                        ANSIBLE_LOCALHOST_WARNING='false',
                        ANSIBLE_INVENTORY_UNPARSED_WARNING='false', ANSIBLE_PYTHON_INTERPRETER='/usr/bin/python3',
                        ANSIBLE_LOCAL_TEMP=os.path.join(root, 'tmp'), ANSIBLE_REMOTE_TEMP=os.path.join(root, 'remote-tmp'),
                        ANSIBLE_HOME=os.path.join(root, 'home'))
        deadline = time.time() + WAIT_S
        while len(self.processors()) != 2 or not all(p['online'] for p in self.processors()):
            if time.time() > deadline:
                fail('korvad did not come up')
            time.sleep(0.2)

    def processors(self):
        request = urllib.request.Request(self.url + '/api/v1/processors',
                                         headers={'Authorization': 'Bearer ' + self.token})
        try:
            with urllib.request.urlopen(request, timeout=5) as answer:
                return json.load(answer)['processors']
        except OSError:
            return []

    def writes(self):
        return [p['demo']['writes'] for p in self.processors()]

    def play(self, text, *args, **extra):
        path = os.path.join(self.root, 'play.yml')
        with open(path, 'w') as f:
            f.write(text)
        report = os.path.join(self.root, 'report.json')
        if os.path.exists(report):
            os.remove(report)
        variables = dict(url=self.url, token_file=self.token_file, ctl=CTL, house=self.house, report=report, **extra)
        run = subprocess.run(['/usr/bin/ansible-playbook', '-i', 'localhost,', path, '-e', json.dumps(variables)]
                             + list(args), env=self.env, capture_output=True, text=True, timeout=120)
        if run.returncode != 0 or not os.path.exists(report):
            fail('ansible-playbook failed (exit %d)' % run.returncode, run.stdout + run.stderr)
        with open(report) as f:
            return json.load(f)


def check_run(world, label, args, changed, writes_grow):
    before = world.writes()
    results = world.play(PLAYBOOK, *args)
    detail = json.dumps(results, ensure_ascii=False, indent=1)
    got = sorted(name for name, r in results.items() if r.get('changed'))
    if got != sorted(changed):
        fail('%s: changed tasks %s, expected %s' % (label, got, sorted(changed)), detail)
    after = world.writes()
    if (after != before) != writes_grow:
        fail('%s: writes received %s -> %s' % (label, before, after), detail)
    return results


def main():
    root = tempfile.mkdtemp(prefix='korva-ansible-')
    world = None
    try:
        world = World(root)
        both = ['preset', 'param']
        # label, ansible-playbook options, tasks that report changed, something written
        runs = [
            ('check mode', ['--check', '--diff'], both, False),
            ('first run', ['--diff'], both, True),
            ('second run', [], [], False),
            ('check mode after', ['--check'], [], False),
        ]
        seen = {}
        for label, args, changed, writes_grow in runs:
            seen[label] = check_run(world, label, args, changed, writes_grow)

        checked = seen['check mode']
        preset = checked['preset']
        differences = [d['name'] for p in preset['processors'] for d in p['differences']]
        if differences != ['g1.rec.eq1.gain', 'g2.music.eq1.freq']:
            fail('check mode does not name the differences', json.dumps(preset, ensure_ascii=False))
        if not any(differences[0] in d['before'] for d in preset['diff']):
            fail('diff mode does not show the parameter', json.dumps(preset['diff'], ensure_ascii=False))
        param = seen['first run']['param']
        if param['new']['text'] != '1200 Hz' or '1200 Hz' not in param['diff']['after']:
            fail('korva_param did not store 1234 as the processor does (1200 Hz)', json.dumps(param))
        facts = seen['second run']['facts']['ansible_facts']['korva_processors']
        with open(world.house, 'rb') as f:
            house = hashlib.sha256(f.read()).hexdigest()
        if [f['serial'] for f in facts] != ['SIM-0001', 'SIM-0002'] or not all(f['online'] for f in facts) \
                or facts[0]['sha256'] != house or facts[1]['sha256'] == house:
            fail('facts: the first processor holds house.PA, the second does not', json.dumps(facts))

        # A restore that fails: the task fails and names the block.
        # label, fault, the block named, in which key of the result
        faults = [
            ('a download cut off', 'unplug-after-blocks=3', 'g1.0x40', 'unanswered'),
            ('a block stored wrong', 'misstore-block=5', 'g2.0x00', 'blocks'),
        ]
        for label, fault, block, key in faults:
            state = os.path.join(root, 'demo-state', fault)
            os.makedirs(state)
            result = world.play(FAULT_PLAYBOOK, state=state, faults=fault)['preset']
            if not result.get('failed') or block not in result.get('msg', '') or block not in str(result.get(key)):
                fail('%s: the task does not fail naming block %s' % (label, block),
                     json.dumps(result, ensure_ascii=False))
        print('ok')
    finally:
        if world:
            world.korvad.terminate()
            world.korvad.wait(10)
        shutil.rmtree(root, ignore_errors=True)


if __name__ == '__main__':
    main()
