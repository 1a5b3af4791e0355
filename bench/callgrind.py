"""Reads a callgrind profile and works out the program's own share of it.

"The program's own" instructions are those executed in the program's executable
plus everything executed inside the C and C++ run-time libraries on its behalf,
that is the inclusive cost of its calls into them. Calls into OpenGL, the
windowing toolkit and the driver are left out, and so is the C library's start-up
routine, whose inclusive cost is the whole program.
"""

import collections
import os
import re

RUNTIME = re.compile(r"/(libc|libm|libstdc\+\+|libgcc_s)\.so[.\d]*$")
ALLOCATORS = re.compile(r"^(malloc|calloc|realloc|memalign|aligned_alloc|posix_memalign|valloc"
                        r"|operator new(\[\])?\(.*\))$")
START_UP = re.compile(r"^__libc_start_main")
NAMED = re.compile(r"^\((\d+)\)(?: (.*))?$")


class Profile:
    def __init__(self, path):
        self.self_cost = collections.Counter()  # (object, function) -> Ir
        self.calls = []  # (caller object, caller fn, callee object, callee fn, count, inclusive Ir)
        names = {"ob": {}, "fn": {}}
        at = {}  # the current ob and fn, and cob and cfn for the next call
        pending_call = None
        with open(path, encoding="utf-8", errors="replace") as profile:
            for line in profile:
                line = line.rstrip("\n")
                if not line:
                    continue
                key, _, value = line.partition("=")
                if key in ("ob", "cob", "fn", "cfn"):
                    match = NAMED.match(value)
                    if match:  # "(id) name" names id, which "(id)" then stands for
                        value = names[key[-2:]].setdefault(*match.groups())
                    if key == "fn":
                        at.pop("cob", None)
                        at.pop("cfn", None)
                    at[key] = value
                elif key == "calls":
                    pending_call = int(value.split()[0])
                elif line[0].isdigit() or line[0] in "+-*":
                    fields = line.split()
                    cost = int(fields[1]) if len(fields) > 1 else 0
                    ob, fn = at.get("ob"), at.get("fn")
                    if pending_call is not None:
                        self.calls.append((ob, fn, at.pop("cob", ob), at.get("cfn"),
                                           pending_call, cost))
                        pending_call = None
                    else:
                        self.self_cost[(ob, fn)] += cost

    def own_instructions(self, program):
        own = sum(cost for (ob, _), cost in self.self_cost.items() if ob == program)
        return own + sum(cost for caller_ob, _, callee_ob, callee_fn, _, cost in self.calls
                         if caller_ob == program and callee_ob != program
                         and RUNTIME.search(callee_ob) and not START_UP.match(callee_fn or ""))

    def instructions_by_object(self):
        counts = collections.Counter()
        for (ob, _), cost in self.self_cost.items():
            counts[os.path.basename(ob)] += cost
        return counts

    def allocations_by_caller(self):
        """Calls to an allocator, counted by the object the call came from."""
        counts = collections.Counter()
        for caller_ob, caller_fn, _, callee_fn, count, _ in self.calls:
            # operator new's own call to malloc is the same allocation.
            if ALLOCATORS.match(callee_fn or "") and not ALLOCATORS.match(caller_fn or ""):
                counts[os.path.basename(caller_ob)] += count
        return counts
