#pragma once
// The compiled form of functions that compute on single integers, booleans and
// characters: named values, pair literals given to arithmetic, comparisons and "%", "int",
// "char" and "-" applied, a boolean named value or argument as a guard, a list term given
// to a position (`(a, b) : 1`) or, of booleans, to "+" or "*", the choice among delayed
// terms, and calls of such functions. Such a body is translated once into a small program
// over scalar slots, with direct calls between compiled functions and no value allocated
// until the result leaves it.
//
// It runs only where it gives exactly what the general path would: the same values, the
// same named values evaluated in the same order, the same stop checks counted. Anything it
// cannot reproduce (an error, a value of another kind, a depth near the bound, a stop
// request, a budget that would end the run) makes it give up, and the call is evaluated
// again from its start on the general path. That is safe because such bodies print
// nothing and store nothing outside the call.

class CModuleNode;
class CNode;
class CValue;
class CRunContext;

// Compiles every function of the module's table whose body allows it, once, whichever run
// comes first; before that run starts. A module that was never prepared is left alone.
void AttachCompiledForms(CModuleNode& module);

enum class CompiledCall { None, Done, GaveUp };
// Applies function to arg through its compiled form when it has one, the run writes no
// trace and arg is an integer, a boolean or a character: Done with the result in *out (the
// application succeeded), GaveUp when the call must be evaluated on the general path after
// all, None when the compiled form was not tried.
CompiledCall CallCompiled(CNode* function, CValue* arg, CValue** out, CRunContext& run);
