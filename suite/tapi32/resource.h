/* Resources of the line provider. */
#define IDI_LINE 100
