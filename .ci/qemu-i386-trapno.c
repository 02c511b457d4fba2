/* Preloaded into 32-bit Wine under qemu-i386 user mode (.ci/i386-wine).
 *
 * qemu leaves the trap number of the signal context it builds at -1, where
 * the kernel puts 14 (page fault) for every SIGSEGV. Wine's i386 handler
 * decides by that number: with -1 it raises an illegal instruction
 * (0xC000001D) instead of an access violation (0xC0000005), and handlers that
 * catch access violations, as IsBadReadPtr and Wine's own guarded reads do,
 * let the process die. This wraps the SIGSEGV handler the program installs
 * and fills in the trap number first.
 *
 * No headers: built by the machine's clang for i686 without an i386 C library
 * to compile against. The layouts are glibc's and the kernel's for i386. */

#define SIGSEGV 11
#define SA_SIGINFO 4
#define TRAP_PAGE_FAULT 14
#define REG_TRAPNO 12 /* in the general registers of the context */

struct sigaction_i386 {
  void (*handler)(int, void *, void *);
  unsigned long mask[32];
  int flags;
  void (*restorer)(void);
};

int __sigaction(int, const struct sigaction_i386 *, struct sigaction_i386 *);

static void (*program_handler)(int, void *, void *);

static void fill_trap_number(int signal, void *info, void *context) {
  /* ucontext: flags, link, the 12-byte stack, then the registers. */
  int *registers = (int *)((char *)context + 20);
  if (registers[REG_TRAPNO] == -1) registers[REG_TRAPNO] = TRAP_PAGE_FAULT;
  program_handler(signal, info, context);
}

int sigaction(int signal, const struct sigaction_i386 *action, struct sigaction_i386 *old) {
  if (signal != SIGSEGV || !action || !(action->flags & SA_SIGINFO) || action->handler == fill_trap_number)
    return __sigaction(signal, action, old);
  struct sigaction_i386 wrapped = *action;
  void (*previous)(int, void *, void *) = program_handler;
  program_handler = action->handler;
  wrapped.handler = fill_trap_number;
  int result = __sigaction(signal, &wrapped, old);
  if (old && old->handler == fill_trap_number) old->handler = previous;
  return result;
}
