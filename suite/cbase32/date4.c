/* Dates as dBASE stores them: 8 characters CCYYMMDD, blank for no date.
 * Day numbers are Julian day numbers (1 January 4713 BC is day 0), the
 * count dBASE uses; a blank or invalid date is day 0. */
#include "cbase4.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

static const char* const month_names[] = {"January", "February", "March", "April", "May", "June", "July",
                                          "August", "September", "October", "November", "December"};
static const char* const day_names[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday",
                                        "Friday", "Saturday"};

static int digits(const char* p, int n)
{
    int v = 0;
    for (int i = 0; i < n; i++) {
        if (!isdigit((unsigned char)p[i]))
            return -1;
        v = v * 10 + (p[i] - '0');
    }
    return v;
}

static int is_leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

static int days_in_month(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && is_leap(y) ? 29 : days[m - 1];
}

/* Year, month and day of a date text; 0 when it is not a valid date. */
static int split(const char* date, int* y, int* m, int* d)
{
    if (!date)
        return 0;
    *y = digits(date, 4);
    *m = *y < 0 ? -1 : digits(date + 4, 2);
    *d = *m < 0 ? -1 : digits(date + 6, 2);
    return *y > 0 && *m >= 1 && *m <= 12 && *d >= 1 && *d <= days_in_month(*y, *m);
}

long date4long(const char* date)
{
    int y, m, d;
    if (!split(date, &y, &m, &d))
        return 0;
    /* Gregorian calendar to Julian day number. */
    long a = (14 - m) / 12, yy = y + 4800 - a, mm = m + 12 * a - 3;
    return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

void date4assign(char* date, long julian)
{
    if (!date)
        return;
    if (julian <= 0) {
        memset(date, ' ', 8);
        return;
    }
    long a = julian + 32044, b = (4 * a + 3) / 146097, c = a - 146097 * b / 4;
    long d = (4 * c + 3) / 1461, e = c - 1461 * d / 4, m = (5 * e + 2) / 153;
    long day = e - (153 * m + 2) / 5 + 1, month = m + 3 - 12 * (m / 10);
    long year = 100 * b + d - 4800 + m / 10;
    char text[16];
    if (year < 1 || year > 9999) {
        memset(date, ' ', 8);
        return;
    }
    snprintf(text, sizeof text, "%04ld%02ld%02ld", year, month, day);
    memcpy(date, text, 8);
}

int date4year(const char* date)
{
    int y, m, d;
    return split(date, &y, &m, &d) ? y : 0;
}

int date4month(const char* date)
{
    int y, m, d;
    return split(date, &y, &m, &d) ? m : 0;
}

int date4day(const char* date)
{
    int y, m, d;
    return split(date, &y, &m, &d) ? d : 0;
}

int date4dow(const char* date)
{
    long j = date4long(date);
    return j ? (int)((j + 1) % 7) + 1 : 0;
}

const char* date4cdow(const char* date)
{
    int dow = date4dow(date);
    return dow ? day_names[dow - 1] : "";
}

const char* date4cmonth(const char* date)
{
    int m = date4month(date);
    return m ? month_names[m - 1] : "";
}

void date4today(char* date)
{
    time_t now = time(NULL);
    struct tm* tm = localtime(&now);
    char text[16];
    if (!date || !tm)
        return;
    snprintf(text, sizeof text, "%04d%02d%02d", tm->tm_year + 1900, tm->tm_mon + 1, tm->tm_mday);
    memcpy(date, text, 8);
}

/* Pictures use C for century, Y year, M month, D day; other characters are
 * copied. "MMM" and longer month runs give the month's name. */
void date4format(const char* date, char* result, const char* picture)
{
    int y, m, d;
    int valid = split(date, &y, &m, &d);
    size_t n = 0;
    if (!result || !picture)
        return;
    for (const char* p = picture; *p;) {
        char c = (char)toupper((unsigned char)*p);
        size_t run = 1;
        while (p[run] && toupper((unsigned char)p[run]) == c)
            run++;
        if (c == 'M' && run > 2) {
            const char* name = valid ? month_names[m - 1] : "";
            for (size_t i = 0; i < run; i++)
                result[n++] = i < strlen(name) ? name[i] : ' ';
        } else if (c == 'C' || c == 'Y' || c == 'M' || c == 'D') {
            /* Each run takes the last digits of its value; C joins Y for the century. */
            long value = c == 'D' ? d : c == 'M' ? m : c == 'Y' ? (run > 2 ? y : y % 100) : y / 100;
            char text[16];
            snprintf(text, sizeof text, "%0*ld", (int)run, value);
            for (size_t i = 0; i < run; i++)
                result[n++] = valid ? text[strlen(text) - run + i] : ' ';
        } else {
            for (size_t i = 0; i < run; i++)
                result[n++] = p[i];
        }
        p += run;
    }
    result[n] = '\0';
}

/* Reads a date written after the picture into CCYYMMDD; two-digit years
 * are taken as 19YY. Invalid input gives a blank date. */
void date4init(char* date, const char* value, const char* picture)
{
    int y = 0, m = 0, d = 0, century = -1;
    if (!date)
        return;
    memset(date, ' ', 8);
    if (!value || !picture)
        return;
    size_t len = strlen(value);
    for (size_t i = 0; picture[i] && i < len;) {
        char c = (char)toupper((unsigned char)picture[i]);
        size_t run = 1;
        while (picture[i + run] && toupper((unsigned char)picture[i + run]) == c)
            run++;
        if (c == 'C' || c == 'Y' || c == 'M' || c == 'D') {
            int v = i + run <= len ? digits(value + i, (int)run) : -1;
            if (v < 0)
                return;
            if (c == 'C')
                century = v;
            else if (c == 'Y')
                y = run > 2 ? v : v + 100 * (century >= 0 ? century : 19);
            else if (c == 'M')
                m = v;
            else
                d = v;
        }
        i += run;
    }
    char text[16];
    snprintf(text, sizeof text, "%04d%02d%02d", y % 10000, m % 100, d % 100);
    int yy, mm, dd;
    if (split(text, &yy, &mm, &dd))
        memcpy(date, text, 8);
}

/* The date as dBASE IV's .MDX keys hold it: its day number as a double. */
double date4format_mdx(const char* date) { return (double)date4long(date); }
