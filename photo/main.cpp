// Placeholder until kestrum-photo lands.
int main()
{
    return 2;
}
