/* A plugin for qemu-arm (the user-mode emulator, version 7): counts the guest instructions executed,
 * all of them or those inside one address range, and writes the count to a file when the program
 * exits. scripts/bench.sh counts with it what the device's DLL executes per gesture, and
 * scripts/skin-formats.sh what the decoders execute per face pair, at the emulator's own speed.
 *
 *   qemu-arm -plugin qemu_insns.so,out=FILE[,range=0x10000000+0xD000] PROGRAM ...
 *
 * The few declarations of the emulator's plugin interface (version 1) it needs are written here:
 * no package ships the interface's header. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef uint64_t qemu_plugin_id_t;
struct qemu_plugin_tb;
struct qemu_plugin_insn;
struct qemu_info_t;
enum qemu_plugin_op { QEMU_PLUGIN_INLINE_ADD_U64 };

typedef void (*qemu_plugin_udata_cb_t)(qemu_plugin_id_t id, void *userdata);
typedef void (*qemu_plugin_vcpu_tb_trans_cb_t)(qemu_plugin_id_t id, struct qemu_plugin_tb *tb);

void qemu_plugin_register_vcpu_tb_trans_cb(qemu_plugin_id_t id, qemu_plugin_vcpu_tb_trans_cb_t cb);
void qemu_plugin_register_vcpu_insn_exec_inline(struct qemu_plugin_insn *insn, enum qemu_plugin_op op, void *ptr,
                                                uint64_t imm);
void qemu_plugin_register_atexit_cb(qemu_plugin_id_t id, qemu_plugin_udata_cb_t cb, void *userdata);
size_t qemu_plugin_tb_n_insns(const struct qemu_plugin_tb *tb);
struct qemu_plugin_insn *qemu_plugin_tb_get_insn(const struct qemu_plugin_tb *tb, size_t idx);
uint64_t qemu_plugin_insn_vaddr(const struct qemu_plugin_insn *insn);

__attribute__((visibility("default"))) int qemu_plugin_version = 1;

static uint64_t executed;
static uint64_t rangeStart, rangeEnd = UINT64_MAX;
static char outPath[4096];

/* Each instruction of a block, as it is translated, adds one to the count whenever it runs, if it
 * lies in the range. */
static void translated(qemu_plugin_id_t id, struct qemu_plugin_tb *tb)
{
    (void)id;
    size_t n = qemu_plugin_tb_n_insns(tb);
    for (size_t i = 0; i < n; ++i) {
        struct qemu_plugin_insn *insn = qemu_plugin_tb_get_insn(tb, i);
        uint64_t at = qemu_plugin_insn_vaddr(insn);
        if (at >= rangeStart && at < rangeEnd)
            qemu_plugin_register_vcpu_insn_exec_inline(insn, QEMU_PLUGIN_INLINE_ADD_U64, &executed, 1);
    }
}

static void exited(qemu_plugin_id_t id, void *userdata)
{
    (void)id;
    (void)userdata;
    FILE *f = fopen(outPath, "w");
    if (f) {
        fprintf(f, "%llu\n", (unsigned long long)executed);
        fclose(f);
    }
}

__attribute__((visibility("default"))) int qemu_plugin_install(qemu_plugin_id_t id, const struct qemu_info_t *info,
                                                               int argc, char **argv)
{
    (void)info;
    for (int i = 0; i < argc; ++i) {
        if (strncmp(argv[i], "out=", 4) == 0) {
            snprintf(outPath, sizeof outPath, "%s", argv[i] + 4);
        } else if (strncmp(argv[i], "range=", 6) == 0) {
            char *plus = NULL;
            rangeStart = strtoull(argv[i] + 6, &plus, 0);
            if (*plus != '+')
                return -1;
            rangeEnd = rangeStart + strtoull(plus + 1, NULL, 0);
        } else {
            return -1;
        }
    }
    if (!outPath[0])
        return -1;
    qemu_plugin_register_vcpu_tb_trans_cb(id, translated);
    qemu_plugin_register_atexit_cb(id, exited, NULL);
    return 0;
}
