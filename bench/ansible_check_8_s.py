#!/usr/bin/python3
"""ansible_check_8_s: one ansible-playbook run in check mode over 8 virtual processors behind one korvad
(korvad --demo=8, the demo's USB timing), connection local: korva_preset on all 8 with a preset that
differs from each, then korva_facts. Prints "ansible_check_8_s MEDIAN s" like korva-bench (median of 3).

usage: bench/ansible_check_8_s.py [BUILD_DIR]   (default build/dev)"""

import json
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.request

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(SOURCE, 'build', 'dev'))
CTL = os.path.join(BUILD, 'src', 'ctl', 'korva-ctl')
KORVAD = os.path.join(BUILD, 'src', 'korvad', 'korvad')
COUNT = 8
RUNS = 3

PLAYBOOK = """
- hosts: localhost
  connection: local
  gather_facts: false
  tasks:
    - korva.processor.korva_preset: {src: "%(house)s", all: true, remote: ["%(url)s"], token_file: "%(token)s", ctl: "%(ctl)s"}
    - korva.processor.korva_facts: {remote: ["%(url)s"], token_file: "%(token)s", ctl: "%(ctl)s"}
"""


def online(url, token):
    request = urllib.request.Request(url + '/api/v1/processors', headers={'Authorization': 'Bearer ' + token})
    try:
        with urllib.request.urlopen(request, timeout=5) as answer:
            processors = json.load(answer)['processors']
            return len(processors) == COUNT and all(p['online'] for p in processors)
    except OSError:
        return False


def main():
    root = tempfile.mkdtemp(prefix='korva-bench-ansible-')
    korvad = None
    try:
        collections = os.path.join(root, 'collections', 'ansible_collections', 'korva')
        os.makedirs(collections)
        os.symlink(os.path.join(SOURCE, 'contrib', 'ansible'), os.path.join(collections, 'processor'))
        state = os.path.join(root, 'korvad')
        token = subprocess.run([KORVAD, 'token', 'add', 'bench', '--state-dir', state], check=True,
                               capture_output=True, text=True).stdout.strip()
        token_file = os.path.join(root, 'token')
        with open(token_file, 'w') as f:
            f.write(token + '\n')
        with socket.socket() as s:
            s.bind(('127.0.0.1', 0))
            port = s.getsockname()[1]
        url = 'http://127.0.0.1:%d' % port
        korvad = subprocess.Popen([KORVAD, '--demo=%d' % COUNT, '--listen', '127.0.0.1:%d' % port,
                                   '--state-dir', state], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 30
        while not online(url, token):
            if time.time() > deadline:
                sys.exit('korvad did not come up')
            time.sleep(0.2)
        # A preset that differs from every processor in two parameters.
        made = [CTL, '--demo', '--demo-state', root]
        house = os.path.join(root, 'house.PA')
        subprocess.run(made + ['set', 'g1.rec.eq1.gain=-3', 'g2.music.eq1.freq=100'], check=True, capture_output=True)
        subprocess.run(made + ['backup', house], check=True, capture_output=True)
        playbook = os.path.join(root, 'check.yml')
        with open(playbook, 'w') as f:
            f.write(PLAYBOOK % dict(house=house, url=url, token=token_file, ctl=CTL))
        env = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=os.path.join(root, 'collections'),
                   ANSIBLE_LOCALHOST_WARNING='false', ANSIBLE_INVENTORY_UNPARSED_WARNING='false',
                   ANSIBLE_PYTHON_INTERPRETER='/usr/bin/python3', ANSIBLE_HOME=os.path.join(root, 'home'),
                   ANSIBLE_LOCAL_TEMP=os.path.join(root, 'tmp'), ANSIBLE_REMOTE_TEMP=os.path.join(root, 'rtmp'))
        times = []
        for dummy in range(RUNS):
            start = time.monotonic()
            run = subprocess.run(['/usr/bin/ansible-playbook', '-i', 'localhost,', playbook, '--check'], env=env,
                                 capture_output=True, text=True)
            times.append(time.monotonic() - start)
            if run.returncode != 0 or 'changed=1' not in run.stdout:
                sys.exit('the check run failed or found nothing to change:\n' + run.stdout + run.stderr)
        print('ansible_check_8_s %.2f s' % statistics.median(times))
    finally:
        if korvad:
            korvad.terminate()
            korvad.wait(10)
        shutil.rmtree(root, ignore_errors=True)


if __name__ == '__main__':
    main()
