// Splitting one line of a text file into blank-separated fields, and a
// key=value field into its key and value.
#include "quorvex/quorvex.h"

#include <stdio.h>

namespace {

bool ends_record(char c)
{
    return c == '\0' || c == '\n' || c == ';' || c == '#';
}

// "key = value" and "key= value" are refused before anything is split, so
// that a caller never sees a key and a value as two separate fields.  The
// test covers quoted parts too; comment characters stop it.
bool space_beside_equal(const char *rec)
{
    for (int i = 0; rec[i] != '\0' && rec[i] != ';' && rec[i] != '#'; ++i) {
        if (rec[i] != '=')
            continue;
        if (i > 0 && rec[i - 1] == ' ')
            return true;
        if (rec[i + 1] == ' ')
            return true;
    }
    return false;
}

} // namespace

extern "C" int16_t QUORVEX_CALL _ReadRec(char *rec, char **punt, FILE *fp, int16_t num,
                                         int16_t *MyErr)
{
    if (rec == nullptr)
        return 0;
    // A line longer than the buffer (less its terminating zero) is cut and
    // its remainder comes back as the next record.
    if (fp != nullptr && fgets(rec, QUORVEX_RECORD_SIZE, fp) == nullptr)
        return QUORVEX_RECORD_END;

    if (space_beside_equal(rec)) {
        if (MyErr != nullptr)
            *MyErr = QUORVEX_MSG_SPACE_AT_EQUALS;
        return QUORVEX_RECORD_SYNTAX_ERROR;
    }
    // No room for even one field pointer: nothing may be written to punt.
    if (num <= 0 || punt == nullptr)
        return 0;

    int16_t found = 0;
    bool in_field = false;
    bool quoted = false;
    int quotes = 0;
    for (char *c = rec;; ++c) {
        if (ends_record(*c)) {
            *c = '\0';
            break;
        }
        const bool ends_field = *c == '\t' || (*c == '"' && quoted) || (*c == ' ' && !quoted);
        if (in_field && ends_field) {
            if (*c == '"') {
                ++quotes;
                quoted = false;
            }
            *c = '\0';
            in_field = false;
            if (++found == num) {
                if (quotes % 2 != 0 && MyErr != nullptr)
                    *MyErr = QUORVEX_MSG_UNMATCHED_QUOTE;
                return found;
            }
        } else if (*c == '"' && !quoted) {
            ++quotes;
            quoted = true;
        } else if ((*c == ' ' && !quoted) || *c == '\t') {
            // a separator between fields
        } else if (!in_field) {
            punt[found] = c;
            in_field = true;
        }
    }
    return static_cast<int16_t>(in_field ? found + 1 : found);
}

extern "C" void QUORVEX_CALL _SplitField(char *field, char **pval, int16_t *is_equal)
{
    if (is_equal != nullptr)
        *is_equal = 0;
    if (pval != nullptr)
        *pval = nullptr;
    for (char *c = field; c != nullptr && *c != '\0'; ++c) {
        if (*c != '=')
            continue;
        *c++ = '\0';
        if (is_equal != nullptr)
            *is_equal = 1;
        while (*c == '"')
            ++c;
        if (*c != '\0' && pval != nullptr)
            *pval = c;
        return;
    }
}
