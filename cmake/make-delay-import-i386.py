#!/usr/bin/env python3
"""Makes a delay-import library for 32-bit x86 Windows from a .def file.

    make-delay-import-i386.py --def X.def --dll X.dll --as AS --ar AR --output libX_delay.a

Why not dlltool's --output-delaylib: for i386, dlltool puts each function's
stub code into the same archive member as its import-address slot, and the
slot starts out pointing into that code. GNU ld's i386 PE linker drops the
code of an import-library member (one with .idata$ sections) when no other
object references a symbol defined in it, which is the normal case: callers
go through the __imp_ slot. The slot then starts out as 0 and the first call
jumps to address 0. (The x86-64 linker has no such pass.)

Here each function gets two members instead:
  - a slot member (.idata$4/5/6 only): __imp_NAME, whose initial value is the
    stub's global label, so linking the slot always links the stub;
  - a stub member (.text only), never taken for an import thunk by ld:
    NAME, the jump through the slot for callers declared without dllimport,
    and the stub that hands the slot to the shared tail-merge.
A head member holds the tail-merge (which passes this DLL's descriptor to
__delayLoadHelper2), the descriptor and the DLL handle; a tail member ends
the slot and name arrays and holds the DLL's name. ld orders .idata$ input
sections by member name, so the names sort head < slots < tail.
"""
import argparse
import concurrent.futures
import os
import re
import subprocess
import sys
import tempfile

IDATA = '"dw"'


def read_exports(def_path):
    """The decorated names of a .def's EXPORTS section (e.g. GetDC@4)."""
    names = []
    in_exports = False
    with open(def_path, encoding="utf-8") as f:
        for line in f:
            word = line.split(";", 1)[0].strip()
            if not word:
                continue
            if word.upper() == "EXPORTS":
                in_exports = True
            elif in_exports:
                names.append(word.split()[0])
    return names


def import_name(decorated):
    """The name the DLL exports: the stdcall @N suffix removed."""
    return re.sub(r"@[0-9]+$", "", decorated)


def head_source(stem):
    return f"""
	.text
	.globl	___tailMerge_{stem}
___tailMerge_{stem}:
	pushl	%ecx
	pushl	%edx
	pushl	%eax
	pushl	$__DELAY_IMPORT_DESCRIPTOR_{stem}
	call	___delayLoadHelper2@8
	popl	%edx
	popl	%ecx
	jmp	*%eax

	.data
	.p2align 2
__DLL_HANDLE_{stem}:
	.long	0

	.section .text$2,"dr"
	.p2align 2
	.globl	__DELAY_IMPORT_DESCRIPTOR_{stem}
__DELAY_IMPORT_DESCRIPTOR_{stem}:
	.long	1
	.rva	__{stem}_iname
	.rva	__DLL_HANDLE_{stem}
	.rva	__IAT_{stem}
	.rva	__INT_{stem}
	.long	0, 0, 0

	.section .idata$5,{IDATA}
	.p2align 2
	.long	0
__IAT_{stem}:
	.section .idata$4,{IDATA}
	.p2align 2
	.long	0
__INT_{stem}:
"""


def tail_source(stem, dll):
    return f"""
	.section .idata$4,{IDATA}
	.p2align 2
	.long	0
	.section .idata$5,{IDATA}
	.p2align 2
	.long	0
	.section .idata$7,{IDATA}
	.globl	__{stem}_iname
__{stem}_iname:
	.asciz	"{dll}"
"""


def slot_source(decorated):
    return f"""
	.section .idata$5,{IDATA}
	.p2align 2
	.globl	__imp__{decorated}
__imp__{decorated}:
	.long	___delay_load_{decorated}
	.section .idata$4,{IDATA}
	.p2align 2
	.rva	.Lhint_name
	.section .idata$6,{IDATA}
	.p2align 1
.Lhint_name:
	.short	0
	.asciz	"{import_name(decorated)}"
"""


def stub_source(stem, decorated):
    return f"""
	.text
	.globl	_{decorated}
_{decorated}:
	jmp	*__imp__{decorated}
	.globl	___delay_load_{decorated}
___delay_load_{decorated}:
	movl	$__imp__{decorated}, %eax
	jmp	___tailMerge_{stem}
"""


def assemble(assembler, source, output):
    result = subprocess.run([assembler, "--32", "-o", output, "-"], input=source.encode(), capture_output=True)
    if result.returncode != 0:
        raise RuntimeError(f"{assembler} failed for {os.path.basename(output)}: {result.stderr.decode()}")


def members(stem, dll, exports):
    """(member file name, assembler source) for every member of the library."""
    yield f"{stem}_h.o", head_source(stem)
    for index, decorated in enumerate(exports):
        yield f"{stem}_s{index:05d}.o", slot_source(decorated)
        yield f"{stem}_c{index:05d}.o", stub_source(stem, decorated)
    yield f"{stem}_t.o", tail_source(stem, dll)


def main():
    parser = argparse.ArgumentParser()
    for option, name in (("--def", "def_file"), ("--dll", "dll"), ("--as", "assembler"), ("--ar", "ar"),
                         ("--output", "output")):
        parser.add_argument(option, dest=name, required=True)
    args = parser.parse_args()
    exports = read_exports(args.def_file)
    if not exports:
        sys.exit(f"{args.def_file} names no exported function")
    stem = re.sub(r"[^A-Za-z0-9]", "_", os.path.splitext(args.dll)[0].lower()) + "_delay"
    with tempfile.TemporaryDirectory() as work:
        listing = list(members(stem, args.dll, exports))
        with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
            jobs = [pool.submit(assemble, args.assembler, source, os.path.join(work, name))
                    for name, source in listing]
            for job in jobs:
                job.result()
        temporary = args.output + ".tmp"
        if os.path.exists(temporary):
            os.remove(temporary)
        # Archives are written in member order: the head first keeps the
        # linker's first look-up of a slot from scanning the whole index.
        subprocess.run([args.ar, "rcsD", temporary] + [os.path.join(work, name) for name, _ in listing], check=True)
        os.replace(temporary, args.output)


if __name__ == "__main__":
    main()
